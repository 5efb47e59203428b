// libFuzzer target for the setup's command line: whatever the bytes, the
// parser stays inside its fields, ends every string, and reports a value
// only when it was given.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string arguments((const char*)data, size);  // a NUL inside ends it early, as on Windows
    SetupCommand command;
    char argument[kArgumentTextSize];
    CommandVerdict verdict = ParseSetupCommand(arguments.c_str(), &command, argument);
    if (strnlen(argument, sizeof argument) == sizeof argument ||
        strnlen(command.folder, sizeof command.folder) == sizeof command.folder ||
        strnlen(command.group, sizeof command.group) == sizeof command.group ||
        strnlen(command.log, sizeof command.log) == sizeof command.log) {
        abort();
    }
    if (verdict == kCommandAccepted &&
        ((command.hasFolder != (command.folder[0] != '\0')) ||
         (command.hasGroup != (command.group[0] != '\0')) ||
         (!command.hasLog && command.log[0] != '\0') || argument[0] != '\0')) {
        abort();
    }
    // An accepted unattended mode is always seen by the refusal's reader.
    if (verdict == kCommandAccepted && command.mode != kInteractive &&
        !AsksUnattended(arguments.c_str())) {
        abort();
    }
    // The log a refusal is written to is the one an accepted line names.
    char log[kLogValueSize];
    bool found = FindLog(arguments.c_str(), log, sizeof log);
    if ((!found && log[0] != '\0') ||
        (verdict == kCommandAccepted && (found != command.hasLog || strcmp(log, command.log) != 0))) {
        abort();
    }
    SkipProgramName(arguments.c_str());
    return 0;
}
