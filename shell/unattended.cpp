// Runs started with arguments. Nobody may be there to answer, so every
// choice the pages would ask for is made before anything is written, and
// the exit code says how the run ended.
#include "unattended.h"

#include "command_line.h"
#include "earlier_install.h"
#include "extraction_page.h"
#include "group_page.h"
#include "install_pass.h"
#include "install_state.h"
#include "location_checks.h"
#include "location_page.h"
#include "made_list.h"
#include "one_setup.h"
#include "payload_check.h"
#include "page_ids.h"
#include "page_services.h"
#include "path_helpers.h"
#include "registry_records.h"
#include "replace_check.h"
#include "run_log.h"
#include "shortcuts.h"

#define REFUSED_FORMAT "The command line was refused at\r\n%s\r\n\r\n%s"
#define NO_LOG_FORMAT "The log file\r\n%s\r\ncannot be created (error %lu)."
#define MODE_NEEDED_TEXT "/DIR= and /GROUP= are taken only with /S or /PASSIVE."
#define OTHERS_FILES_FORMAT \
    "The folder %s holds others' files; it is not shared unasked."
#define RUNNING_TEXT "Another setup of this product is running."
#define NO_SHORTCUTS_LOG_TEXT "Unable To Create Shortcuts!"

enum {
    kBoxTextSize = 1025,  // wsprintfA never writes more than 1024 bytes
};

namespace {

const char* VerdictText(CommandVerdict verdict)
{
    switch (verdict) {
    case kCommandAccepted:
        break;
    case kCommandUnknown:
        return "This is not a switch of this setup.";
    case kCommandRepeated:
        return "A switch is given twice, or /S with /PASSIVE.";
    case kCommandEmptyValue:
        return "The value may not be empty.";
    case kCommandTooLong:
        return "The value is too long.";
    case kCommandOpenQuote:
        return "A double quote is not closed.";
    }
    return "";
}

// The exit code of a refused command line: the refusal is logged when
// nobody is there, else shown as a warning, which the log holds as a box.
int Refuse(bool unattended, const char* argument, const char* reason)
{
    if (unattended) {
        LogLine("Refused: %s: %s", argument, reason);
        return kExitRefused;
    }
    ShowFormattedBox(NULL, MB_OK | MB_ICONWARNING, REFUSED_FORMAT, argument, reason);
    return kExitInteractive;
}

// The switches and the exit codes, as deployment tools are checked against.
int ShowHelp(bool silent)
{
    // /S promises no window at all, so the list goes to the log.
    if (silent) {
        SetPageRunMode(kPagesSilent);
    }
    ShowPageBox(NULL, SETUP_HELP_TEXT, MB_OK | MB_ICONINFORMATION);
    return kExitInstalled;
}

// The destination from /DIR= or the page's proposal, with the page's
// refusals; false when refused.
bool ChooseFolder(const SetupCommand& command)
{
    char proposed[kFolderSlotSize];
    const char* typed = command.folder;
    if (!command.hasFolder) {
        ProposedFolder(proposed);
        typed = proposed;
    }
    char* destination = g_setup.state.destinationFolder;
    LocationVerdict verdict = ChooseDestination(destination, typed);
    if (verdict != kLocationAccepted) {
        char heading[kBoxTextSize];
        wsprintfA(heading, "The folder %s is refused: ", typed);
        ShowFormattedBox(NULL, MB_OK, RefusalFormat(verdict), heading, RefusedLevel());
        return false;
    }
    // Nobody can say Yes to sharing a folder with others' files.
    if (HoldsOthersFiles(destination)) {
        LogLine(OTHERS_FILES_FORMAT, destination);
        return false;
    }
    return true;
}

// The group from /GROUP=, else the earlier installation's while the page
// would take it, else the product name; false when refused.
bool ChooseGroup(const SetupCommand& command)
{
    char* group = g_setup.state.groupName;
    const char* refusal = NULL;
    if (command.hasGroup) {
        refusal = GroupRefusal(command.group);
        if (refusal == NULL) {
            CopyText(group, kGroupNameSize, command.group);
        }
    } else if (!ReadPreviousGroup(group) || group[0] == '\0' || GroupRefusal(group) != NULL) {
        CopyText(group, kGroupNameSize, g_setup.manifest.productName);
        refusal = GroupRefusal(group);
    }
    if (refusal != NULL) {
        LogLine("The group %s is refused:", command.hasGroup ? command.group : group);
        ShowFormattedBox(NULL, MB_OK, refusal, GROUP_NAME_HEAD);
        return false;
    }
    return true;
}

// The files or the links: done at once when silent, else by the page that
// shows their progress.
bool RunUnattendedStep(int (*work)(HWND), WORD dialogId, DLGPROC page)
{
    if (IsSilentRun()) {
        return work(NULL) == 1;
    }
    return DialogBoxParamA(g_setup.state.instance, MAKEINTRESOURCEA(dialogId), NULL, page, 0) == 1;
}

int RunUnattended(const SetupCommand& command)
{
    SetPageRunMode(command.mode == kSilent ? kPagesSilent : kPagesPassive);
    if (!PayloadIntact()) {
        ShowPageBox(NULL, DAMAGED_SETUP_TEXT, MB_OK | MB_ICONERROR);
        return kExitFailed;
    }
    if (!ClaimOnlySetup()) {
        LogLine(RUNNING_TEXT);
        return kExitRunning;
    }
    if (!MeetEarlierInstallation()) {
        return kExitDowngrade;
    }
    FillFolderSlots(NULL);
    if (!ChooseFolder(command) || !ChooseGroup(command)) {
        return kExitRefused;
    }
    if (!HasRoomForFiles(NULL, g_setup.state.destinationFolder)) {
        return kExitNoSpace;
    }
    LogLine("Licence accepted on behalf of whoever deploys the setup.");
    if (FolderSlotUnusable()) {
        ShowFormattedBox(NULL, MB_OK, "%s" ABORTING_LINE, UNUSABLE_FOLDER_LINE);
        return kExitFailed;
    }
    // Asked here too, so that a file in use has its own code; the pass
    // asks again just before it writes.
    if (!WaitForReplaceableTargets(NULL)) {
        return kExitInUse;
    }
    SetShellUnloadFlag();
    // Nobody is there to finish a half installation: what this run made
    // goes again. The links and records, made last, come after the last
    // step that can fail.
    bool installed = RunUnattendedStep(InstallFiles, IDD_EXTRACTION, ExtractionPageProc);
    if (installed && !RunUnattendedStep(CreateShortcuts, IDD_SHORTCUTS, ShortcutDialogProc)) {
        LogLine(NO_SHORTCUTS_LOG_TEXT);
        installed = false;
    }
    if (!installed) {
        UndoMade();
        return kExitFailed;
    }
    WriteRegistryRecords();
    return kExitInstalled;
}

// The log a /LOG= names, or a bare /LOG's in the temp folder.
bool OpenSetupLog(const char* log)
{
    return log[0] != '\0' ? OpenRunLog(log) : OpenTempRunLog(g_setup.manifest.productName, "setup");
}

int RunParsed(const char* arguments, int showCommand)
{
    SetupCommand command;
    char argument[kArgumentTextSize];
    CommandVerdict verdict = ParseSetupCommand(arguments, &command, argument);
    // A refusal is silent when an unattended mode is asked anywhere, and
    // goes to the log named anywhere; a log that cannot be made leaves it
    // as it stands. The log comes first, so that even a refusal is in it.
    bool unattended = command.mode != kInteractive;
    if (command.hasLog && !OpenSetupLog(command.log) && verdict == kCommandAccepted) {
        if (!unattended) {
            ShowFormattedBox(NULL, MB_OK | MB_ICONWARNING, NO_LOG_FORMAT,
                             command.log[0] ? command.log : "%TEMP%", (unsigned long)GetLastError());
        }
        return unattended ? kExitRefused : kExitInteractive;
    }
    const ProductManifest& manifest = g_setup.manifest;
    // Whatever the installer's name: "Vantor" or "Tidewell Setup".
    LogLine("Setup of %s v%s by %s (%s)", manifest.productName, manifest.version,
            manifest.publisher, INSTALLER_NAME);
    LogRunHeader();
    if (verdict != kCommandAccepted) {
        return Refuse(unattended, argument, VerdictText(verdict));
    }
    if (command.help) {
        return ShowHelp(command.mode == kSilent);
    }
    g_setup.state.allUsers = command.allUsers;
    g_setup.state.allowDowngrade = command.allowDowngrade;
    if (command.mode != kInteractive) {
        return RunUnattended(command);
    }
    if (command.hasFolder || command.hasGroup) {
        return Refuse(false, command.hasFolder ? "/DIR=" : "/GROUP=", MODE_NEEDED_TEXT);
    }
    return RunWizard(showCommand);
}

}  // namespace

int RunCommandLine(const char* arguments, int showCommand)
{
    int code = RunParsed(arguments, showCommand);
    LogLine("Exit code %d", code);
    CloseRunLog();
    return code;
}
