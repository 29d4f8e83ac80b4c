#include "whole_file.h"

#include <windows.h>

#include <algorithm>

#include "win/system_error_text.h"
#include "win/unique_handle.h"

namespace fs = std::filesystem;

namespace {

// An open file as a sink; keeps the error of the first write that failed.
class FileHandleSink final : public FileSink {
 public:
  explicit FileHandleSink(HANDLE file) : file_(file) {}

  bool Append(std::span<const uint8_t> bytes) override { return Write(bytes); }

  bool Overwrite(uint64_t offset, std::span<const uint8_t> bytes) override {
    LARGE_INTEGER end{}, at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    const bool moved = SetFilePointerEx(file_, LARGE_INTEGER{}, &end, FILE_CURRENT) &&
                       SetFilePointerEx(file_, at, nullptr, FILE_BEGIN);
    if (!moved) return Fail(GetLastError());
    const bool written = Write(bytes);
    if (!SetFilePointerEx(file_, end, nullptr, FILE_BEGIN)) return Fail(GetLastError());
    return written;
  }

  DWORD error = ERROR_SUCCESS;

 private:
  bool Write(std::span<const uint8_t> bytes) {
    if (error != ERROR_SUCCESS) return false;
    for (size_t done = 0; done < bytes.size();) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
      SetLastError(ERROR_SUCCESS);
      if (!WriteFile(file_, bytes.data() + done, chunk, &written, nullptr) || written != chunk) {
        // A short write without an error code means the disk is full.
        return Fail(GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_DISK_FULL);
      }
      done += written;
    }
    return true;
  }

  bool Fail(DWORD code) {
    if (error == ERROR_SUCCESS) error = code != ERROR_SUCCESS ? code : ERROR_WRITE_FAULT;
    return false;
  }

  HANDLE file_;
};

}  // namespace

std::optional<std::vector<uint8_t>> ReadWholeFile(const fs::path& path, std::wstring& reason) {
  const KernelHandle file = FileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.Get(), &size)) {
    reason = SystemErrorText();
    return std::nullopt;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    if (!ReadFile(file.Get(), bytes.data() + done, chunk, &read, nullptr)) {
      reason = SystemErrorText();
      return std::nullopt;
    }
    if (read == 0) break;
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

std::optional<std::wstring> ReplaceWholeFile(const fs::path& path, const FileProducer& produce) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return SystemErrorText(ERROR_ACCESS_DENIED);
    // Wine run by a privileged user would replace a read-only file.
    if (attributes & FILE_ATTRIBUTE_READONLY) return SystemErrorText(ERROR_ACCESS_DENIED);
    // A file another program holds open without sharing it stays its own.
    const KernelHandle probe = FileHandle(CreateFileW(path.c_str(), GENERIC_WRITE,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe) return SystemErrorText();
  }
  const std::wstring partial = path.wstring() + L".partial";
  {
    KernelHandle file = FileHandle(
        CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return SystemErrorText();
    FileHandleSink sink(file.Get());
    const bool produced = produce(sink);
    if (!produced || !FlushFileBuffers(file.Get())) {
      DWORD error = sink.error;
      if (error == ERROR_SUCCESS) error = produced ? GetLastError() : ERROR_WRITE_FAULT;
      file.Reset();  // closed before it can be deleted
      DeleteFileW(partial.c_str());
      return SystemErrorText(error);
    }
  }
  if (!MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    DeleteFileW(partial.c_str());
    return SystemErrorText(error);
  }
  return std::nullopt;
}
