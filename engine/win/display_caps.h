// What the display offers, asked of a display device context.
#pragma once

namespace wmf {

// Colour depth of the display (GetDeviceCaps BITSPIXEL); 0 when the display
// cannot be asked.
int DisplayBitsPerPixel();

}  // namespace wmf
