// What the settings fuzz targets share: a private folder for the files they
// load and save, silent message boxes, and a check that stops the run.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_check.h"
#include "settings_store.h"
#include "text_encoding.h"
#include "user_messages.h"

namespace fuzz {


// A folder of this process, in memory where the system offers that.
class Folder {
 public:
  Folder() {
    const std::filesystem::path base =
        std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    path_ = base / ("clipmend-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(path_);
  }
  ~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  // The path of a file in the folder, as the settings take paths.
  std::wstring File(const std::string& name) const { return FromUtf8((path_ / name).string()); }

  // Writes the bytes into a file of the folder and returns its path.
  std::wstring Put(const std::string& name, const uint8_t* data, size_t size) const {
    const std::string path = (path_ / name).string();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(out != nullptr);
    FUZZ_CHECK(std::fwrite(data, 1, size, out) == size);
    FUZZ_CHECK(std::fclose(out) == 0);
    return FromUtf8(path);
  }

  void Remove(const std::string& name) const {
    std::error_code ignored;
    std::filesystem::remove(path_ / name, ignored);
  }

 private:
  std::filesystem::path path_;
};

// Collects what would be shown; the targets check that nothing was.
class Messages : public UserMessages {
 public:
  int shown = 0;
  void ErrorBox(const std::wstring&) override { ++shown; }
  void InfoBox(const std::wstring&) override { ++shown; }
};

// The registry side of the fuzz targets: nothing stored, every write taken.
// The targets are about files; a record starts from its defaults.
class EmptyRegistry : public SettingsStore {
 public:
  void SetRegistryRoot(const std::wstring&) override {}
  std::wstring ReadString(const std::wstring&, const std::wstring&, const std::wstring&,
                          const std::wstring& defaultText) override {
    return defaultText;
  }
  int ReadInt(const std::wstring&, const std::wstring&, const std::wstring&, int defaultValue) override {
    return defaultValue;
  }
  bool WriteString(const std::wstring&, const std::wstring&, const std::wstring&, const std::wstring&) override {
    return true;
  }
  bool WriteInt(const std::wstring&, const std::wstring&, const std::wstring&, int) override { return true; }
};

}  // namespace fuzz
