// How the settings and the picture engine reach the user: the program shows
// these in message boxes; tools and tests collect them.
#pragma once

#include <string>

class UserMessages {
 public:
  virtual ~UserMessages() = default;
  virtual void ErrorBox(const std::wstring& text) = 0;  // title "Velloform error"
  virtual void InfoBox(const std::wstring& text) = 0;   // title "Velloform"
};
