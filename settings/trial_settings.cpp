#include "trial_settings.h"

TrialSettings::TrialSettings() : record_(store_, messages_) {}

void TrialSettings::CopyFrom(const WmfSettings& from) {
  for (const ScalarSetting& setting : ScalarSettings()) {
    if (setting.intField)
      record_.*setting.intField = from.*setting.intField;
    else
      record_.*setting.realField = from.*setting.realField;
  }
  record_.colors = from.colors;
  record_.ShowSplash = from.ShowSplash;
}
