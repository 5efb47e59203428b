// What the product's uninstaller must show and do, stated here independently
// of its code (the product's names from its identity), and the steps the removal scenarios are built of: running the
// registered uninstall command, answering its boxes, the snapshot checks.
#ifndef VANTOR_E2E_UNINSTALL_H
#define VANTOR_E2E_UNINSTALL_H

#include <windows.h>

#include "e2e_driver.h"
#include "e2e_snapshot.h"
#include "product_identity.h"

#define UNINSTALL_CLASS PRODUCT_NAME "Uninstall"
#define UNINSTALL_CAPTION PRODUCT_NAME " Uninstall"
#define UNINSTALL_BOX_CAPTION PRODUCT_NAME
#define NOT_INSTALLED_TEXT \
    PRODUCT_NAME " is not installed on this computer, so there is nothing to remove."
#define CONFIRM_TEXT \
    "Do you want to remove " PRODUCT_NAME " " PRODUCT_VERSION                   \
    " and all of its components from this computer?"
// The in-use box: the file's full path, then this.
#define IN_USE_TAIL                                                                      \
    "\r\n\r\nThis file is in use, so it cannot be removed. Close " PRODUCT_NAME ", then choose " \
    "Retry.\r\nCancel stops the removal; you can run it again later."
#define STOPPED_TEXT                                                                   \
    "The removal of " PRODUCT_NAME " was stopped.\r\n\r\n" PRODUCT_NAME                 \
    " stays in the list of installed "                                                   \
    "programs, so you can remove the rest later."
// The data box: the folder, the file names one a line, then the question.
#define DATA_HEAD "The program folder %s holds data files of yours:\r\n\r\n"
#define DATA_TAIL "\r\n\r\nDo you want to keep them?"
#define REMOVED_TEXT PRODUCT_NAME " was removed from this computer."
#define NOT_COMPLETE_TEXT                                                          \
    "The removal of " PRODUCT_NAME " was not complete. " PRODUCT_NAME              \
    " stays in the list of installed programs, so you can run the removal again."
#define LEFT_IN_PLACE "\r\n\r\nLeft in place:"
#define KEPT_DATA_LINE "%s (your data)"
#define KEPT_FOLDER_LINE "%s (holds files of yours)"
#define UNSAFE_FOLDER_LINE "%s (not a program folder, nothing there was touched)"
#define SHARED_LINE "%s (read-only, with other names for the same file: left as it is)"
#define FAILED_LINE "%s (could not be removed)"
#define AT_RESTART_LINE "%s (removed at the next restart)"
#define UNREADABLE_PATH_LINE                                                       \
    "The program folder (the uninstall entry's \"Program Path\" cannot be read, " \
    "so nothing was touched)%s"

#define UNINSTALLER_NAME PRODUCT_UNINSTALLER_FILE
#define PROGRAM_PATH_VALUE "Program Path"
#define PENDING_RENAMES "PendingFileRenameOperations"
#define SESSION_MANAGER_KEY "HKLM\\System\\CurrentControlSet\\Control\\Session Manager"
#define LEDGER_FILE "Ledger.dat"
#define SCRATCH_FOLDER "C:\\e2e-scratch"

enum {
    kRemoved = 0,
    kRemovalFailed = 1,
    kNotInstalled = 2,
    kRemovalCancelled = 3,
    kRemovedRestartNeeded = 3010,
    kRemovalRefused = 5,
    kMaxLeftLines = 8,
    kProductIconId = 1,  // every one of the product's programs' first icon
    kWindowsCopyWait = 6000,  // the second phase deletes the original within 5 s
};

// --- The uninstaller's processes and windows (removal_process.cpp).
// Reads UninstallString of the uninstall entry; false when it is missing.
bool ReadUninstallCommand(char* command, int size);
// Starts the command as the user would, from the root folder.
bool StartRemoval(const char* command);
// The started process and everything it started.
bool RemovalRunning();
// Waits for the main window: class, caption, small and centred.
HWND RemovalWindow();
// A box owned by the main window: the product's name as caption, the
// uninstaller's icon.
bool WaitRemovalBox(HWND owner, Box* box);
// Checks the box's text and that the default button is the given one
// (0: the default is not prescribed).
void CheckRemovalBox(const Box* box, const char* text, int defaultButton);
// Presses the button; the time the box stood is the driver's, not the
// uninstaller's.
bool AnswerRemovalBox(const Box* box, int button);
// Waits for the started process, checks its exit code and logs the time
// since the start.
bool ExpectRemovalExit(DWORD code);
// Any top-level window of the uninstaller's processes, hidden ones too
// (for /S).
HWND AnyRemovalWindow();
// Ends processes of a failed scenario.
void StopRemoval();
// Milliseconds from StartRemoval to the exit, and the driver's own share
// (time spent on boxes before answering).
DWORD RemovalTime();
DWORD RemovalDriverTime();

// --- Whole steps (removal_steps.cpp).
// Ends what a failed scenario left running; the driver's exit code.
int RemovalOutcome();
// Installs with the proposals and checks the installation; true when the
// walk went through.
// Timed, it prints the installation's timing figure.
bool InstallProduct(bool timed = false);
// Copies the installed uninstaller to the scratch folder, for runs after
// the Windows folder's copy is gone.
bool KeepUninstallerCopy(char* path, int size);
// How an interactive removal is answered and what its boxes must say: the
// data box comes when dataNames (NULL-ended) is given and is answered
// keepData; the end box lists leftLines and perhaps optionalLines.
struct RemovalAnswers {
    const char* const* dataNames;
    bool keepData;
    const char* const* leftLines;
    const char* const* optionalLines;
    bool shots;  // screenshots of the boxes
    bool notComplete;  // the end box says so, the exit code is 1, the entry stays
    bool restartNeeded;  // complete, with exit code 4: something goes at the restart
};
// Starts the registered command and answers Yes at the confirmation;
// the uninstaller's window, or NULL.
HWND StartAndConfirm(bool shot);
// The data box if expected, the end box, the exit code 0 (4 with
// something left for the restart) and the Windows folder's copy gone; or,
// not complete, the exit code 1.
bool FinishRemoval(HWND window, const RemovalAnswers* answers);
bool RemoveProduct(const RemovalAnswers* answers);
// Runs the registered command with the arguments (/S, perhaps with more),
// watching that no window of the uninstaller's processes appears at any
// moment, hidden ones included; the exit code, and after a removal, the
// Windows folder's copy gone.
bool RunSilently(DWORD expectedCode, const char* arguments = "/S");
// The same for a whole removal command line.
bool RunRemovalQuietly(const char* command, DWORD expectedCode);
// Against the kBefore snapshot, an installation made every difference the
// product makes (in g_walk's folder and group) and no other.
void CheckInstallationDifferences(const char* what);
// The end box: REMOVED_TEXT (or NOT_COMPLETE_TEXT), then the required lines
// and perhaps the optional ones (any order) under LEFT_IN_PLACE.
void CheckEndText(const char* text, const char* const* required, const char* const* optional,
                  bool complete = true);
// Rewrites the uninstall entry's "Program Path", as a user with the
// registry editor could.
bool SetProgramPath(const char* value, DWORD type = REG_SZ);
// Rewrites a text value of the uninstall entry.
bool SetEntryText(const char* name, const char* value, DWORD type = REG_SZ);
// After a removal that was not complete: the uninstall entry and the
// command it names are still there.
void CheckEntryKept();
// The Windows folder's uninstaller goes a moment after the exit.
void ExpectWindowsCopyGone();
// The folders of the uninstaller's temp copies, read back: only SYSTEM and
// Administrators may write there, nothing inherited (eraser_access.cpp).
void CheckEraserFolderAccess();
// What their names start with: the uninstaller's name without its
// extension, and a dash (removal_steps.cpp).
const char* EraserPrefix();
// Where those folders are: the temp folder, and the pattern of their
// names after it.
void EraserFolderPattern(char* temp, int tempSize, char* pattern, int patternSize);
// Notepad started with folder as its working folder, which it then holds;
// ended, not closed (scenarios_uninstall.cpp).
bool StartNotepad(const char* folder, PROCESS_INFORMATION* process);
void EndNotepad(PROCESS_INFORMATION* process);
// A list of allowed differences with their texts, built at run time.
enum { kPatternSize = 600 };
struct AllowanceList {
    Allowance items[kMaxAllowances];
    char patterns[kMaxAllowances][kPatternSize];
    int count;
};
void Allow(AllowanceList* list, bool required, const char* why, const char* format, ...);
// The publisher's folder and the program folder, for why.
void AllowProgramFolders(AllowanceList* list, bool required, const char* why);
// A data file kept in the program folder, with the folders holding it.
void AllowKeptData(AllowanceList* list, const char* path);
// The shell setting the setup keeps on purpose and, before a restart, the
// uninstaller's temp copy with its pending deletion.
void AllowStandard(AllowanceList* list, bool beforeRestart);
// What an installation with the walk's folder and group adds ('+') or a
// removal takes away ('-'), by part.
enum ProductParts {
    kProgramFolder = 1,  // the base folder and the program folder
    kProgramFiles = 2,
    kWindowsFile = 4,  // the uninstaller in the Windows folder
    kLinks = 8,        // the group folder, its links, the SendTo link
    kRecords = 16,     // vendor key, version key, uninstall entry
    kAllParts = 31,
};
void AllowProduct(AllowanceList* list, char change, int parts);
// After a removal: snapshot, compare (the standard allowances before a
// restart plus untilRestart and also), wineboot -r, snapshot and compare
// again (the shell setting plus also). Either list may be NULL.
void CheckAfterRemoval(const AllowanceList* also, const AllowanceList* untilRestart);
// Restarts the prefix: Wine's boot handles the pending renames.
bool RestartPrefix();
// "HKLM\Software\" or, for a 32-bit program in a 64-bit prefix,
// "HKLM\Software\Wow6432Node\": where the setup's records land.
const char* SoftwareRoot();

// --- Files and lines the scenarios make.
enum { kLineSize = 512 };
// Left-in-place lines for the end box, built at run time (NULL-ended list).
struct Lines {
    char text[kMaxLeftLines][kLineSize];
    const char* list[kMaxLeftLines + 1];
    int count;
};
void AddLine(Lines* lines, const char* format, const char* path);
// A file of the program folder.
void ProgramFile(char* path, int size, const char* name);
// A small file that holds its own path; CheckPlanted reads it back.
void PlantFile(const char* path);
void CheckPlanted(const char* path);

// --- The installed ledger, the main program a product may take from
// Vantor, driven as its user (ids of its main window).
enum {
    kLedgerList = 200,
    kLedgerDescription = 201,
    kLedgerAmount = 202,
    kLedgerAdd = 203,
};
#define LEDGER_CLASS_NAME PRODUCT_NAME "Ledger"
// Starts the installed ledger; StartLedger also waits for its window.
bool LaunchLedger(PROCESS_INFORMATION* process);
HWND StartLedger(PROCESS_INFORMATION* process);
// Entries the ledger window shows.
int LedgerCount(HWND window);
void CloseLedger(HWND window, PROCESS_INFORMATION* process);

#endif
