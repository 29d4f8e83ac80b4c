#include "whole_file.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <system_error>

#include "text_encoding.h"

namespace fs = std::filesystem;

namespace {

std::wstring Reason(int error) { return FromUtf8(std::generic_category().message(error != 0 ? error : EIO)); }

// A file stream as a sink; keeps the error of the first write that failed.
class StreamSink final : public FileSink {
 public:
  explicit StreamSink(std::ofstream& out) : out_(out) {}

  bool Append(std::span<const uint8_t> bytes) override {
    errno = 0;
    out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return Check();
  }

  bool Overwrite(uint64_t offset, std::span<const uint8_t> bytes) override {
    errno = 0;
    const std::streampos end = out_.tellp();
    out_.seekp(static_cast<std::streamoff>(offset));
    out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out_.seekp(end);
    return Check();
  }

  int error = 0;

 private:
  bool Check() {
    if (!out_ && error == 0) error = errno != 0 ? errno : EIO;
    return static_cast<bool>(out_);
  }

  std::ofstream& out_;
};

}  // namespace

std::optional<std::vector<uint8_t>> ReadWholeFile(const fs::path& path, std::wstring& reason) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    reason = Reason(EISDIR);
    return std::nullopt;
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    reason = Reason(errno);
    return std::nullopt;
  }
  const std::streamoff size = in.tellg();
  std::vector<uint8_t> bytes(size > 0 ? static_cast<size_t>(size) : 0);
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

std::optional<std::wstring> ReplaceWholeFile(const fs::path& path, const FileProducer& produce) {
  std::error_code ec;
  const bool exists = fs::exists(path, ec);
  if (exists) {
    if (fs::is_directory(path, ec)) return Reason(EISDIR);
    // Replacing the file by renaming would pass over its protection, so it is
    // tested first; an owner without write permission counts too, since a
    // privileged user may open any file.
    errno = 0;
    if (!std::ofstream(path, std::ios::binary | std::ios::app)) return Reason(errno);
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((fs::status(path, ec).permissions() & writable) == fs::perms::none) return Reason(EACCES);
  }
  fs::path partial = path;
  partial += ".partial";
  {
    errno = 0;
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) return Reason(errno);
    StreamSink sink(out);
    const bool produced = produce(sink);
    out.close();
    if (!produced || !out) {
      const int error = sink.error != 0 ? sink.error : errno;
      fs::remove(partial, ec);
      return Reason(error);
    }
  }
  if (exists) fs::permissions(partial, fs::status(path, ec).permissions(), ec);
  fs::rename(partial, path, ec);
  if (ec) {
    const std::wstring reason = FromUtf8(ec.message());
    fs::remove(partial, ec);
    return reason;
  }
  return std::nullopt;
}
