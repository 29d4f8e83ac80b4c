// The settings of the Windows program: the record over the registry and the
// private-profile functions, with InstanceMessage registered before anything
// is loaded. The messages must outlive the object.
#pragma once

#include "user_messages.h"
#include "win/windows_store.h"
#include "wmf_settings.h"

class ProgramSettings {
 public:
  explicit ProgramSettings(UserMessages& messages);
  ProgramSettings(const ProgramSettings&) = delete;
  ProgramSettings& operator=(const ProgramSettings&) = delete;

  WmfSettings& record() { return record_; }

 private:
  WindowsSettingsStore store_;
  WmfSettings record_;
};
