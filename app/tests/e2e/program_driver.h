// What tests that drive a real Clipmend.exe from another process share:
// starting and ending it, waiting with deadlines, its settings in the
// registry, and a window of the test's own on the clipboard.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "clipboard_test_support.h"

#include <windows.h>

namespace program_driver {

using Clock = std::chrono::steady_clock;

inline const wchar_t kSettingsKey[] = L"Software\\Tornvik\\Velloform";

// Handles messages for this thread's windows while waiting; true when
// `done` came true within `seconds`.
inline bool PumpUntil(const std::function<bool()>& done, double seconds) {
  const auto giveUp = Clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    if (Clock::now() >= giveUp) return false;
    Sleep(5);
  }
}

inline void SetPreference(const wchar_t* section, const wchar_t* name, DWORD value) {
  HKEY key;
  const std::wstring path = std::wstring(kSettingsKey) + L"\\" + section;
  ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, path.c_str(), &key), ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

inline std::optional<DWORD> StoredNumber(const wchar_t* section, const wchar_t* name) {
  DWORD value = 0, size = sizeof value, type = 0;
  const std::wstring path = std::wstring(kSettingsKey) + L"\\" + section;
  if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_DWORD, &type, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

// An empty settings key with start-up choices that open no windows.
inline void QuietSettings() {
  RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  SetPreference(L"Preferences", L"StartWithOptions", 0);
  SetPreference(L"V7,30,0,0", L"ShowSplash", 0);
}

inline HWND MainWindow() { return FindWindowW(L"VelloformClass", nullptr); }

// Runs `program` with `arguments`; the process handle, owned by the caller.
inline HANDLE Start(const std::wstring& program, const std::wstring& arguments = L"") {
  std::wstring command = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    ADD_FAILURE() << "cannot start " << std::filesystem::path(program) << ": " << GetLastError();
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

inline bool Ended(HANDLE process, double seconds) {
  return PumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, seconds);
}

// Starts `program` and waits until it has started: its main window exists
// and it waits in its message loop. `process` receives its handle, owned by
// the caller, even when the start failed (reported).
inline bool Launch(const std::wstring& program, HANDLE& process) {
  process = Start(program);
  if (!process) return false;
  if (!PumpUntil([] { return MainWindow() != nullptr; }, 20)) {
    ADD_FAILURE() << "no main window within 20 s";
    return false;
  }
  if (WaitForInputIdle(process, 20000) != 0) {
    ADD_FAILURE() << "the start did not finish within 20 s";
    return false;
  }
  return true;
}

// Ends a running instance the way users do, with `program` "/unload", and
// waits for it to be gone; `running`, when known, is its process.
inline void Unload(const std::wstring& program, HANDLE running = nullptr) {
  if (!MainWindow()) return;
  if (HANDLE unload = Start(program, L"/unload")) {
    EXPECT_TRUE(Ended(unload, 20)) << "\"/unload\" did not end within 20 s";
    CloseHandle(unload);
  }
  if (running) {
    EXPECT_TRUE(Ended(running, 20)) << "the running instance did not end within 20 s";
  }
  EXPECT_TRUE(PumpUntil([] { return MainWindow() == nullptr; }, 10)) << "the main window is still there after 10 s";
}

// Waits for the clipboard to change after `sequence` and to hold the
// improved picture; the seconds it took, or a negative value.
inline double SecondsUntilModified(DWORD sequence, Clock::time_point since, double limit) {
  clipboard_test::ClipboardPicture seen;
  Clock::time_point changed;
  const bool modified = PumpUntil(
      [&] {
        const DWORD now = GetClipboardSequenceNumber();
        if (now == sequence) return false;
        // The picture was replaced when the clipboard changed, not once this
        // test has read it back.
        changed = Clock::now();
        sequence = now;
        seen = clipboard_test::ReadPicture();
        return clipboard_test::IsImproved(seen);
      },
      limit);
  return modified ? std::chrono::duration<double>(changed - since).count() : -1;
}

// Keeps a picture of `area` of the screen and `margin` pixels around it as a
// bitmap file, for a person to look at.
inline void SaveScreenArea(const RECT& area, int margin, const std::filesystem::path& file) {
  HDC screen = GetDC(nullptr);
  const int width = area.right - area.left + 2 * margin, height = area.bottom - area.top + 2 * margin;
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32};
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left - margin, area.top - margin, SRCCOPY);
  GdiFlush();
  // GDI leaves the unused fourth byte of text pixels 0; viewers that read it
  // as opacity would not show the text.
  auto* bytes = static_cast<BYTE*>(pixels);
  for (int i = 0; i < width * height; ++i) bytes[i * 4 + 3] = 0xFF;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  BITMAPFILEHEADER header{0x4D42, static_cast<DWORD>(54 + width * height * 4), 0, 0, 54};
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(pixels), static_cast<std::streamsize>(width) * height * 4);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

// A window of the test's own, to own clipboard data and to watch the chain.
// It passes each clipboard notice on as viewers do, with SendMessage, which
// returns once the next viewer has handled the notice; one that swallows
// notices keeps them to itself, as misbehaving viewers do.
class Viewer {
 public:
  Viewer() {
    static const ATOM atom = [] {
      WNDCLASSW windowClass{};
      windowClass.lpfnWndProc = &Viewer::Procedure;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.lpszClassName = L"ClipmendTestViewer";
      return RegisterClassW(&windowClass);
    }();
    (void)atom;
    window_ = CreateWindowExW(0, L"ClipmendTestViewer", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
  }
  ~Viewer() {
    if (joined_) ChangeClipboardChain(window_, next_);
    DestroyWindow(window_);
  }
  Viewer(const Viewer&) = delete;
  Viewer& operator=(const Viewer&) = delete;
  HWND Handle() const { return window_; }
  void Join() {
    next_ = SetClipboardViewer(window_);
    joined_ = true;
  }
  void Leave() {
    ChangeClipboardChain(window_, next_);
    joined_ = false;
  }
  // The clipboard's sequence number at each notice, in the order they came;
  // every one of them has been passed on and handled by the viewers after
  // this one by the time a test reads it between its own messages.
  std::vector<DWORD> notices;
  std::vector<std::pair<HWND, HWND>> chainChanges;
  bool swallowNotices = false;
  static constexpr UINT kPassOnDeadlineMs = 60000;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<Viewer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_DRAWCLIPBOARD) {
      self->notices.push_back(GetClipboardSequenceNumber());
      DWORD_PTR result = 0;
      if (self->next_ && !self->swallowNotices &&
          !SendMessageTimeoutW(self->next_, message, wParam, lParam, SMTO_NORMAL, kPassOnDeadlineMs, &result) &&
          GetLastError() == ERROR_TIMEOUT)
        ADD_FAILURE() << "the next clipboard viewer did not handle a notice within " << kPassOnDeadlineMs / 1000 << " s";
      return 0;
    }
    if (self && message == WM_CHANGECBCHAIN) {
      self->chainChanges.emplace_back(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
      if (reinterpret_cast<HWND>(wParam) == self->next_) self->next_ = reinterpret_cast<HWND>(lParam);
      else if (self->next_) SendMessageW(self->next_, message, wParam, lParam);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  HWND window_ = nullptr;
  HWND next_ = nullptr;
  bool joined_ = false;
};

}  // namespace program_driver
