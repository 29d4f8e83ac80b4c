// Clipmend.exe: the resident clipboard handler of Velloform.

#include "clipmend_app.h"
#include "win/program_settings.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  MessageBoxUserMessages messages;
  // The settings are loaded before anything starts and stored when they go,
  // after everything else, if this process became the running instance.
  ProgramSettings settings(messages);
  ClipmendApp app(settings.record(), messages);
  return app.Start(instance, arguments ? arguments : L"");
}
