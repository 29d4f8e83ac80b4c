#include "win/program_settings.h"

#include "win/instance_message.h"

ProgramSettings::ProgramSettings(UserMessages& messages)
    : store_(messages), record_(store_, messages, RegisterInstanceMessage()) {}
