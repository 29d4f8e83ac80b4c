// The system's message for an error code, in the user's language, exactly as
// the system words it (its line break at the end included); empty when the
// system has none.
#pragma once

#include <windows.h>

#include <string>

std::wstring SystemErrorText(DWORD error = GetLastError());
