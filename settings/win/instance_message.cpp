#include "win/instance_message.h"

#include <windows.h>

unsigned RegisterInstanceMessage() { return RegisterWindowMessageW(kInstanceMessageName); }
