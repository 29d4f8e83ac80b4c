// Where the options dialog's preview draws its two pictures, the last one
// as captured and as the options make it: side by side or one above the
// other, whichever shows both larger in the window's shape, each with a line
// of text under it.
#pragma once

struct PreviewBox {
  int left = 0, top = 0, width = 0, height = 0;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
};

struct PreviewLayout {
  bool sideBySide = true;
  PreviewBox original, improved;                // the pictures, their proportions kept
  PreviewBox originalCaption, improvedCaption;  // the line under each
};

// `clientWidth` × `clientHeight` is the inside of the window; the aspects
// are each picture's width over its height (anything but a positive number
// counts as square); `lineHeight` is a line of text, `gap` the room around
// and between the pictures.
PreviewLayout LayOutPreview(int clientWidth, int clientHeight, double originalAspect, double improvedAspect,
                            int lineHeight, int gap);
