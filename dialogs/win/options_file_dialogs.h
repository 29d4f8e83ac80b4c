// The system's open and save dialogs for options files, and the wait cursor
// while a file is read or written.
#pragma once

#include "options_files.h"

class SystemOptionsFileUi : public OptionsFileUi {
 public:
  std::wstring ChooseFile(const OptionsFileDialog& dialog) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;

 private:
  void* previousCursor_ = nullptr;
};
