// The setup's command line, for administrators who deploy it unattended.
// Started without arguments the setup is the interactive wizard it always
// was; every switch here is read only when it is given. Free of Windows,
// so that the host tests and the fuzzer reach every rule.
#ifndef VANTOR_COMMAND_LINE_H
#define VANTOR_COMMAND_LINE_H

#include <stddef.h>

enum {
    kFolderValueSize = 260,  // as the folder page's field: 259 characters
    kGroupValueSize = 260,   // longer than a group may be, so it is refused, not cut
    kLogValueSize = 260,
    kArgumentTextSize = 64,  // an offending argument, as the refusal quotes it
};

// Also the uninstaller's. Bare, the log goes to the temp folder.
#define LOG_SWITCH "/LOG="
#define LOG_IN_TEMP_SWITCH "/LOG"

enum RunMode {
    kInteractive,
    kSilent,   // /S: no window, no box, no pause for the eye
    kPassive,  // /PASSIVE: progress only, at the wizard's pace
};

// The exit codes of unattended runs; an interactive run ends with 1 always.
// Another setup running has the code deployment tools retry on.
enum SetupExit {
    kExitInstalled = 0,
    kExitFailed = 1,      // after writing began; what was written stays
    kExitRefused = 2,     // the command line; nothing changed
    kExitInUse = 3,       // a file to be replaced is in use; nothing changed
    kExitNoSpace = 5,     // a volume written to has too little room; nothing changed
    kExitDowngrade = 6,   // a newer version is installed; nothing changed
    kExitRunning = 1618,  // another setup of the product runs; nothing changed
    kExitInteractive = 1,
};

struct SetupCommand {
    RunMode mode;
    bool help;  // /?
    bool hasFolder;
    bool hasGroup;
    bool hasLog;  // with an empty log: the temp folder's
    bool allUsers;        // /ALLUSERS: the program group in the common Programs folder
    bool allowDowngrade;  // /ALLOWDOWNGRADE: over a newer version too
    char folder[kFolderValueSize];
    char group[kGroupValueSize];
    char log[kLogValueSize];
};

enum CommandVerdict {
    kCommandAccepted,
    kCommandUnknown,     // not a switch of the setup, or one given a value it does not take
    kCommandRepeated,    // a switch twice, or both /S and /PASSIVE
    kCommandEmptyValue,  // /DIR=, /GROUP= or /LOG= with nothing after it
    kCommandTooLong,     // a value longer than its field
    kCommandOpenQuote,   // a double quote without its closing one
};

// Reads the arguments (the command line after the program's name) into
// command. On a refusal, argument holds the first argument refused (cut
// to its size with "..." when longer), and the arguments after it are
// still read: the mode and the log they ask for say where the refusal
// goes.
CommandVerdict ParseSetupCommand(const char* arguments, SetupCommand* command,
                                 char argument[kArgumentTextSize]);

// Whether text is a switch that chooses the run's mode, and which: /S,
// /PASSIVE and other setup systems' names for them, or kInteractive for
// /NORESTART and /SUPPRESSMSGBOXES, taken and ignored.
bool ReadModeSwitch(const char* text, RunMode* mode);

// Whether any argument asks for a silent or passive run, also after one
// that is refused: such a run was meant for a machine nobody watches, so
// a refusal must not wait there for a click.
bool AsksUnattended(const char* arguments);

// The log the first /LOG or /LOG= argument asks for, looked for also
// after one that is refused: true for a bare /LOG (value empty: the temp
// folder's) or a value that is not empty, not cut and fits value's size
// bytes, which then hold it (else they hold an empty text).
bool FindLog(const char* arguments, char* value, size_t size);

// The command line after the program's own name, quoted or not.
const char* SkipProgramName(const char* line);

// The argument at text (no blank before it) into out, quotes removed: a
// quote opens and closes a run in which blanks belong to the argument.
// Answers the text after it, or null for an unclosed quote; a longer
// argument is cut and sets *tooLong.
const char* ReadArgument(const char* text, char* out, size_t outSize, bool* tooLong);

// What /? shows, and what a deployment tool's description of the setup
// must agree with: each switch and each exit code on a line of its own,
// its meaning after a tab. One text rather than tables: the setup only
// ever shows it whole.
#define SETUP_HELP_TEXT                                                  \
    "/S\tsilent: no window at all\r\n"                                   \
    "/PASSIVE\tshowing only the progress\r\n"                            \
    "/DIR=folder\tthe program folder\r\n"                                \
    "/GROUP=name\tthe program group\r\n"                                 \
    "/LOG=file\ta log of the run (/LOG alone: in %TEMP%)\r\n"            \
    "/ALLUSERS\tlinks for all users\r\n"                                 \
    "/ALLOWDOWNGRADE\tover a newer version too\r\n"                      \
    "/?\tthis list\r\n"                                                  \
    "/VERYSILENT /QUIET /QN\tas /S\r\n"                                  \
    "/SILENT /QB\tas /PASSIVE\r\n"                                       \
    "/NORESTART /SUPPRESSMSGBOXES\tignored\r\n"                          \
    "\r\nExit codes of /S and /PASSIVE; from 2 on, nothing changed:\r\n" \
    "0\tinstalled\r\n"                                                   \
    "1\tfailed; the log says why\r\n"                                    \
    "2\tcommand line refused\r\n"                                        \
    "3\ta file to be replaced is in use\r\n"                             \
    "5\tnot enough space\r\n"                                            \
    "6\ta newer version is installed\r\n"                                \
    "1618\tanother setup is running\r\n"

#endif
