#include "whole_file.h"

#include <windows.h>

#include <algorithm>

#include "win/system_error_text.h"
#include "win/unique_handle.h"

namespace fs = std::filesystem;

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

std::optional<std::wstring> ReplaceWholeFile(const fs::path& path, FileParts parts) {
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
    bool whole = true;
    for (std::span<const uint8_t> part : parts) {
      for (size_t done = 0; whole && done < part.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(part.size() - done, 1u << 30));
        SetLastError(ERROR_SUCCESS);
        whole = WriteFile(file.Get(), part.data() + done, chunk, &written, nullptr) && written == chunk;
        done += written;
      }
    }
    whole = whole && FlushFileBuffers(file.Get());
    if (!whole) {
      // A short write without an error code means the disk is full.
      const DWORD error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_DISK_FULL;
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
