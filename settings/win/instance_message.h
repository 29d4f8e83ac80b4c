// The registered window message by which a second start of the program hands
// over to the running one. Registered before anything else of the settings
// record, so that both sides have it from the start.
#pragma once

inline constexpr wchar_t kInstanceMessageName[] = L"Velloform Clipboard";

// RegisterWindowMessageW(kInstanceMessageName); 0 if the system refused.
unsigned RegisterInstanceMessage();
