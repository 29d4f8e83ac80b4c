// A settings record of its own, kept in memory, for trying options on a
// picture without touching the user's settings, their store or their
// statistics: the options dialog's preview plays with one.
#pragma once

#include "memory_store.h"
#include "wmf_settings.h"

class TrialSettings {
 public:
  TrialSettings();
  TrialSettings(const TrialSettings&) = delete;
  TrialSettings& operator=(const TrialSettings&) = delete;

  // Takes every option, preference and colour of `from`, not its statistics.
  void CopyFrom(const WmfSettings& from);

  WmfSettings& Record() { return record_; }

 private:
  // Loading from an empty store in memory has nothing to report.
  class NoMessages : public UserMessages {
   public:
    void ErrorBox(const std::wstring&) override {}
    void InfoBox(const std::wstring&) override {}
  };

  MemorySettingsStore store_;
  NoMessages messages_;
  WmfSettings record_;
};
