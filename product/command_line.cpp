#include "command_line.h"

#include <string.h>

#include "path_helpers.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The argument as a refusal quotes it: cut with "..." when longer.
void QuoteArgument(char argument[kArgumentTextSize], const char* text)
{
    size_t length = strlen(text);
    if (length < kArgumentTextSize) {
        memcpy(argument, text, length + 1);
        return;
    }
    memcpy(argument, text, kArgumentTextSize - 4);
    memcpy(argument + kArgumentTextSize - 4, "...", 4);
}

// A switch with a value (name ends in "="): kCommandAccepted with the value
// stored, a refusal, or kCommandUnknown when text is another switch.
CommandVerdict TakeValue(const char* text, bool tooLong, const char* name, char* out,
                         size_t size, bool* given)
{
    if (!StartsWithIgnoringCase(text, name)) {
        return kCommandUnknown;
    }
    const char* value = text + strlen(name);
    if (*given) {
        return kCommandRepeated;
    }
    if (*value == '\0') {
        return kCommandEmptyValue;
    }
    if (tooLong || !CopyText(out, size, value)) {
        return kCommandTooLong;
    }
    *given = true;
    return kCommandAccepted;
}

CommandVerdict ReadSwitch(const char* text, bool tooLong, SetupCommand* command, bool* modeSet)
{
    CommandVerdict verdict = TakeValue(text, tooLong, "/DIR=", command->folder,
                                       sizeof command->folder, &command->hasFolder);
    if (verdict == kCommandUnknown) {
        verdict = TakeValue(text, tooLong, "/GROUP=", command->group, sizeof command->group,
                            &command->hasGroup);
    }
    if (verdict == kCommandUnknown) {
        verdict = TakeValue(text, tooLong, LOG_SWITCH, command->log, sizeof command->log,
                            &command->hasLog);
    }
    if (verdict != kCommandUnknown) {
        return verdict;
    }
    RunMode mode = kInteractive;
    if (SameTextIgnoringCase(text, "/S")) {
        mode = kSilent;
    } else if (SameTextIgnoringCase(text, "/PASSIVE")) {
        mode = kPassive;
    } else if (strcmp(text, "/?") == 0) {
        if (command->help) {
            return kCommandRepeated;
        }
        command->help = true;
        return kCommandAccepted;
    } else {
        return kCommandUnknown;
    }
    if (*modeSet) {
        return kCommandRepeated;
    }
    *modeSet = true;
    command->mode = mode;
    return kCommandAccepted;
}

}  // namespace

CommandVerdict ParseSetupCommand(const char* arguments, SetupCommand* command,
                                 char argument[kArgumentTextSize])
{
    memset(command, 0, sizeof *command);
    command->mode = kInteractive;
    argument[0] = '\0';
    bool modeSet = false;
    // Room for the longest value and its switch's name; longer is refused.
    char text[kFolderValueSize + 16];
    const char* next = arguments;
    for (;;) {
        while (IsBlank(*next)) {
            ++next;
        }
        if (*next == '\0') {
            return kCommandAccepted;
        }
        bool tooLong = false;
        const char* start = next;
        next = ReadArgument(start, text, sizeof text, &tooLong);
        if (next == NULL) {
            QuoteArgument(argument, start);
            return kCommandOpenQuote;
        }
        CommandVerdict verdict = ReadSwitch(text, tooLong, command, &modeSet);
        if (verdict != kCommandAccepted) {
            QuoteArgument(argument, text);
            return verdict;
        }
    }
}

const char* ReadArgument(const char* text, char* out, size_t outSize, bool* tooLong)
{
    size_t length = 0;
    bool quoted = false;
    *tooLong = false;
    for (; *text != '\0' && (quoted || !IsBlank(*text)); ++text) {
        if (*text == '"') {
            quoted = !quoted;
        } else if (length + 1 < outSize) {
            out[length++] = *text;
        } else {
            *tooLong = true;
        }
    }
    out[length] = '\0';
    return quoted ? NULL : text;
}

bool FindSwitch(const char* arguments, const char* name, char* value, size_t size)
{
    size_t nameLength = strlen(name);
    bool takesValue = name[nameLength - 1] == '=';
    if (takesValue) {
        value[0] = '\0';
    }
    char text[kFolderValueSize + 16];
    const char* next = arguments;
    while (next != NULL) {
        while (IsBlank(*next)) {
            ++next;
        }
        if (*next == '\0') {
            break;
        }
        bool tooLong = false;
        next = ReadArgument(next, text, sizeof text, &tooLong);
        if (!takesValue && SameTextIgnoringCase(text, name)) {
            return true;
        }
        if (takesValue && StartsWithIgnoringCase(text, name)) {
            // A value cut short or left open is no value to act on.
            return next != NULL && !tooLong && text[nameLength] != '\0' &&
                   CopyText(value, size, text + nameLength);
        }
    }
    return false;
}

bool AsksUnattended(const char* arguments)
{
    return FindSwitch(arguments, "/S", NULL, 0) || FindSwitch(arguments, "/PASSIVE", NULL, 0);
}

const char* SkipProgramName(const char* line)
{
    if (*line == '"') {
        const char* close = strchr(line + 1, '"');
        line = close ? close + 1 : line + strlen(line);
    } else {
        while (*line != '\0' && !IsBlank(*line)) {
            line++;
        }
    }
    while (IsBlank(*line)) {
        line++;
    }
    return line;
}
