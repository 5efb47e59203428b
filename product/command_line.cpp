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

// A switch without a value, taken once.
CommandVerdict TakeFlag(const char* text, const char* name, bool* given)
{
    if (!SameTextIgnoringCase(text, name)) {
        return kCommandUnknown;
    }
    if (*given) {
        return kCommandRepeated;
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
    if (verdict == kCommandUnknown && SameTextIgnoringCase(text, LOG_IN_TEMP_SWITCH)) {
        // A log in the temp folder, named when it is opened.
        verdict = command->hasLog ? kCommandRepeated : kCommandAccepted;
        command->hasLog = true;
    }
    if (verdict == kCommandUnknown) {
        verdict = TakeFlag(text, "/?", &command->help);
    }
    if (verdict == kCommandUnknown) {
        verdict = TakeFlag(text, "/ALLUSERS", &command->allUsers);
    }
    if (verdict == kCommandUnknown) {
        verdict = TakeFlag(text, "/ALLOWDOWNGRADE", &command->allowDowngrade);
    }
    if (verdict != kCommandUnknown) {
        return verdict;
    }
    RunMode mode;
    if (!ReadModeSwitch(text, &mode)) {
        return kCommandUnknown;
    }
    // /NORESTART and the like: nothing of ours ever restarts.
    if (mode == kInteractive) {
        return kCommandAccepted;
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
    CommandVerdict first = kCommandAccepted;
    // Room for the longest value and its switch's name; longer is refused.
    char text[kFolderValueSize + 16];
    const char* next = arguments;
    for (;;) {
        while (IsBlank(*next)) {
            ++next;
        }
        if (*next == '\0') {
            return first;
        }
        bool tooLong = false;
        const char* start = next;
        next = ReadArgument(start, text, sizeof text, &tooLong);
        CommandVerdict verdict =
            next == NULL ? kCommandOpenQuote : ReadSwitch(text, tooLong, command, &modeSet);
        if (verdict != kCommandAccepted && first == kCommandAccepted) {
            QuoteArgument(argument, next == NULL ? start : text);
            first = verdict;
        }
        if (next == NULL) {
            return first;
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

bool ReadModeSwitch(const char* text, RunMode* mode)
{
    // The unattended switches of other setup systems, as deployment tools
    // add them by habit, mean ours. Each name follows the digit of its
    // mode; kInteractive marks one taken and ignored. One text: the setup
    // carries it at the cost of its letters.
    static_assert(kInteractive == 0 && kSilent == 1 && kPassive == 2, "the digits below");
    static const char kModes[] = "1/S\0" "1/VERYSILENT\0" "1/QUIET\0" "1/QN\0"
                                 "2/PASSIVE\0" "2/SILENT\0" "2/QB\0"
                                 "0/NORESTART\0" "0/SUPPRESSMSGBOXES\0";
    for (const char* known = kModes; *known != '\0'; known += strlen(known) + 1) {
        if (SameTextIgnoringCase(text, known + 1)) {
            *mode = (RunMode)(known[0] - '0');
            return true;
        }
    }
    return false;
}

namespace {

bool IsUnattendedSwitch(const char* text)
{
    RunMode mode;
    return ReadModeSwitch(text, &mode) && mode != kInteractive;
}

bool IsLogSwitch(const char* text)
{
    return SameTextIgnoringCase(text, LOG_IN_TEMP_SWITCH) || StartsWithIgnoringCase(text, LOG_SWITCH);
}

// The first argument that match takes, into text (also after one that
// is refused); *whole when it was read to its end, its quotes closed.
bool FindArgument(const char* arguments, bool (*match)(const char*), char* text, size_t size,
                  bool* whole)
{
    const char* next = arguments;
    while (next != NULL) {
        while (IsBlank(*next)) {
            ++next;
        }
        if (*next == '\0') {
            break;
        }
        bool tooLong = false;
        next = ReadArgument(next, text, size, &tooLong);
        if (match(text)) {
            *whole = next != NULL && !tooLong;
            return true;
        }
    }
    return false;
}

}  // namespace

bool FindLog(const char* arguments, char* value, size_t size)
{
    value[0] = '\0';
    char text[kFolderValueSize + 16];
    bool whole = false;
    if (!FindArgument(arguments, IsLogSwitch, text, sizeof text, &whole) || !whole) {
        return false;
    }
    // A bare /LOG asks for the temp folder's; a value cut short or left
    // open is no value to act on.
    const char* given = text + sizeof LOG_SWITCH - 1;
    return text[sizeof LOG_SWITCH - 2] == '\0' || (*given != '\0' && CopyText(value, size, given));
}

bool AsksUnattended(const char* arguments)
{
    char text[kFolderValueSize + 16];
    bool whole;
    return FindArgument(arguments, IsUnattendedSwitch, text, sizeof text, &whole);
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
