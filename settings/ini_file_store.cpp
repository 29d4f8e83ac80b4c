#include "ini_file_store.h"

IniFileStore::Transfer* IniFileStore::TransferOf(const std::wstring& path) {
  return transfer_ && transfer_->path == path ? &*transfer_ : nullptr;
}

void IniFileStore::BeginFileTransfer(const std::wstring& path) {
  transfer_.reset();
  if (!path.empty()) transfer_.emplace(Transfer{path, IniFileUpdate(path)});
}

bool IniFileStore::EndFileTransfer() {
  std::optional<Transfer> transfer = std::move(transfer_);
  transfer_.reset();
  if (!transfer || !transfer->changed) return true;
  if (const std::optional<std::wstring> reason = transfer->file.Commit()) {
    messages_.ErrorBox(UnableToWriteMessage(transfer->path, *reason));
    return false;
  }
  return true;
}

std::optional<std::wstring> IniFileStore::Lookup(const std::wstring& section, const std::wstring& name,
                                                const std::wstring& path, size_t bufferChars) {
  if (Transfer* transfer = TransferOf(path)) return transfer->file.Document().Value(section, name, bufferChars);
  return ReadIniFile(path).Value(section, name, bufferChars);
}

std::wstring IniFileStore::ReadString(const std::wstring& section, const std::wstring& name,
                                      const std::wstring& path, const std::wstring& defaultText) {
  if (path.empty()) return registry_.ReadString(section, name, path, defaultText);
  std::optional<std::wstring> value = Lookup(section, name, path, kIniStringBuffer);
  if (value && !value->empty()) return std::move(*value);
  return defaultText;
}

int IniFileStore::ReadInt(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                          int defaultValue) {
  if (path.empty()) return registry_.ReadInt(section, name, path, defaultValue);
  if (Transfer* transfer = TransferOf(path)) {  // read where it stands, without a copy
    const std::optional<std::wstring_view> value =
        transfer->file.Document().ValueView(section, name, kIniIntBuffer);
    return value && !value->empty() ? ParseProfileInt(*value) : defaultValue;
  }
  const std::optional<std::wstring> value = Lookup(section, name, path, kIniIntBuffer);
  return value && !value->empty() ? ParseProfileInt(*value) : defaultValue;
}

bool IniFileStore::WriteString(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                               const std::wstring& text) {
  if (path.empty()) return registry_.WriteString(section, name, path, text);
  if (Transfer* transfer = TransferOf(path)) {
    transfer->file.Document().SetValue(section, name, text);
    transfer->changed = true;
    return true;
  }
  if (const std::optional<std::wstring> reason = WriteIniValue(path, section, name, text)) {
    messages_.ErrorBox(UnableToWriteMessage(path, *reason));
    return false;
  }
  return true;
}

bool IniFileStore::WriteInt(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                            int value) {
  if (path.empty()) return registry_.WriteInt(section, name, path, value);
  return WriteString(section, name, path, std::to_wstring(value));
}
