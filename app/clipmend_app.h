// The program: its application object with the commands of the tray menu
// that work on pictures, and the start-up that runs it once per user.
#pragma once

#include <memory>
#include <string>

#include "clipboard_intake.h"

#include "copy_clip_app.h"
#include "dialog_context.h"
#include "message_boxes.h"
#include "options_file_dialogs.h"
#include "win_handles.h"

class CMainFrame;

class ClipmendApp : public CCopyClipApp, private IntakeHost {
 public:
  ClipmendApp(WmfSettings& settings, UserMessages& messages);
  ~ClipmendApp() override;

  // Starts the program with the given command-line arguments and runs it
  // until it is unloaded; returns the process's exit code.
  int Start(HINSTANCE instance, const std::wstring& arguments);

  static const MessageMap& ClassMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }

 private:
  bool CheckSingleInstance();
  bool RegisterMainWindowClass(const wchar_t* name);
  void ComputeProgramFolder();

  void OnModifyNow();
  void OnCopyLast();
  void OnPutOriginalBack();
  void OnSaveLast();
  void OnMainOptions();
  void OnUserPreferences();
  void OnAbout();

  // IntakeHost
  HWND MainWindow() override;
  void BringToForeground(HWND window) override;
  void ShowNotice(const std::wstring& text) override;

  WmfSettings& settings_;
  std::unique_ptr<wmf::TextMeasurer> measurer_;
  wmf::EngineContext engine_;
  ClipboardIntake intake_;
  HINSTANCE instance_ = nullptr;
  std::wstring programFolder_;
  SystemOptionsFileUi optionsFileUi_;
  // What the dialogs work with; made with the main window.
  std::unique_ptr<DialogContext> dialogs_;
  KernelHandle singleInstanceMutex_;
  bool classRegistered_ = false;
};
