// What the end-to-end scenarios share: the setup's expected texts and
// looks, stated here independently of its code, the record of one walk
// through the wizard, and the steps and checks the scenarios are built of.
#ifndef VANTOR_E2E_WALK_H
#define VANTOR_E2E_WALK_H

#include <windows.h>
#include <stddef.h>

#include "product_identity.h"

// What the setup must show and do, stated here independently of its code;
// the product's names, files and texts come from the description of the
// setup under test, through the identity header generated from it.
#define WELCOME_TEXT                                                                        \
    "This program will install " PRODUCT_NAME " to your computer. It is strongly recommended " \
    "that you quit all running programs before you continue."
#define LICENCE_CAPTION PRODUCT_NAME " License Agreement"
#define LOCATION_CAPTION PRODUCT_NAME " Program Location"
#define EXTRACTION_CAPTION "Installing " PRODUCT_NAME " Program Files"
#define GROUP_CAPTION PRODUCT_NAME " Program Group"
#define SHORTCUTS_CAPTION "Creating " PRODUCT_NAME " Shortcuts"
#define DEFAULT_FOLDER DefaultFolder()
#define PRODUCT PRODUCT_NAME
#define ABORT_TEXT                                                                     \
    "Installation Aborted!\r\n\r\nIf you need assistance you can email\r\nsupport at " \
    "- " PRODUCT_SUPPORT_ADDRESS "!"
#define QUESTION_TEXT \
    PRODUCT_NAME " was successfully installed.\r\n\r\nWould you like to view the Read Me file now?"
#define FAREWELL                                                                       \
    "For other great software utilities be sure to\r\nstop by " PRODUCT_PUBLISHER      \
    " home page at\r\n" PUBLISHER_HOME_PAGE                                            \
    "\r\n\r\nIf you have any questions or comments you can\r\n"                        \
    "email support at " PRODUCT_SUPPORT_ADDRESS "!"
#define PATH_INVALID "Path Invalid!\r\n\r\n"
#define EXTRACT_FAILED "Unable to create destination file!\r\nInstallation will now be aborted."

#define SHELL_UNLOAD_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\AlwaysUnloadDll"
#define VENDOR_KEY PRODUCT_VENDOR_KEY
#define VERSION_KEY PRODUCT_VENDOR_KEY PRODUCT_VERSION_KEY_SUFFIX
#define UNINSTALL_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" PRODUCT_NAME
// The keys above below "Software\".
enum { kSoftwareLength = sizeof "Software\\" - 1 };
#define HELP_LINK PRODUCT_WEB_PAGE

// Copies of the product's files and the licence text, made by the build.
#define REFERENCE_FOLDER "T:\\product-files\\"
#define LICENCE_REFERENCE "T:\\product-files\\license.txt"

enum {
    kPanelWidth = 150,
    kBannerWidth = 334,
    kBannerHeight = 58,
    kStepCount = 7,
    kStepTop = 120,
    kStepPitch = 18,
    kFileCount = PRODUCT_INSTALLED_COUNT,
    kShortcutCount = PRODUCT_SHORTCUT_COUNT,
    kMaxListItems = 128,
    kItemSize = 300,
    kMaxCovering = 16,
    kLongWait = 60000,  // the whole extraction
};

const COLORREF kPanelColour = RGB(0, 24, 96);
const COLORREF kRuleColour = RGB(248, 248, 255);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kCurrentStepColour = RGB(207, 216, 255);
const COLORREF kOtherStepColour = RGB(111, 136, 255);
const COLORREF kLabelColour = RGB(175, 175, 255);
const COLORREF kTitleColour = RGB(128, 160, 255);
const COLORREF kSubtitleColour = RGB(0, 0, 255);
const COLORREF kPictureKey = RGB(0, 128, 128);
const COLORREF kBarFill = RGB(0, 0, 128);
const COLORREF kBarEmptyText = RGB(0, 0, 64);

const char* const kStepNames[kStepCount] = {
    "- License Agreement",  "- Program Location", "- Installing Files", "- Program Group",
    "- Creating Shortcuts", "- View Read Me",     "- Finished"};

// The product's table: target name, flags, shortcut caption.
struct ProductFile {
    const char* name;
    unsigned flags;
    const char* caption;
};
const ProductFile kFiles[PRODUCT_TABLE_SIZE] = {PRODUCT_ENTRY_TABLE};
const unsigned kLinkToDestination = 0x01, kInWindowsFolder = 0x02;

// Entries by their roles, fixed by position in the table.
enum { kUpdater = 1, kMainProgram = 2, kReadMe = 4 };

// How one walk through the wizard goes.
struct Walk {
    const char* folder;  // typed on the folder page; NULL keeps the proposal
    const char* group;   // typed on the group page; NULL keeps the proposal
    bool viewReadMe;
    bool timed;  // print the timing figure
};

// What opens the read-me after Yes, as the scenario arranged the system:
// Notepad; nothing (no Notepad, and nothing else opens the file); WordPad
// by the .txt association; WordPad, handed the file by a Notepad that ends.
enum ReadMeWay { kReadMeInNotepad, kReadMeUnopened, kReadMeAssociated, kReadMeHandedOff };

// What the walk saw; the checks after it read these.
struct WalkState {
    ReadMeWay readMeWay;  // set by the scenario
    int width;
    int height;
    HWND backdrop;
    HMODULE setupImage;  // the setup as data: its bitmaps
    DWORD continueTick;  // welcome page's Continue
    DWORD farewellTick;
    DWORD driverTime;  // time the driver sat on shown pages before acting
    DWORD shownTick;
    char destination[MAX_PATH];
    char group[64];
    bool allUsers;  // the links in the common Programs folder, none in SendTo
};
extern WalkState g_walk;

// --- Small helpers (walk_support.cpp).
// The description's base folder, a "{ProgramFiles}" in it as the machine's
// 32-bit Program Files folder, and the default destination in it.
const char* BaseFolder();
const char* DefaultFolder();
int Finish();
void PageShown();
void Acting();
void ExpectedFileTime(FILETIME* utc);
void ThousandsText(DWORD value, char* text, int size);
void JoinPath(char* out, size_t size, const char* folder, const char* name);
// The link in folder named after an entry's caption.
void CaptionLink(char* out, size_t size, const char* folder, int entry);
// Where the setup puts the links for the walk's scope: the Programs folder
// (the common one for all users) and the SendTo folder (none for all users).
void LinkFolders(char* programs, char* sendTo);
// The size of the build's copy of an entry's file.
DWORD ReferenceSize(int entry);
// Polls a control until its text is the expected one.
bool WaitItemText(HWND page, int id, const char* expected, DWORD timeout);
void CheckBesidePanel(HWND page, const char* what);
bool OpenSetupImage();

// --- The backdrop as drawn (backdrop_check.cpp).
// Checks the last capture against how the backdrop must look and answers which
// step captions it shows highlighted.
DWORD CheckBackdropPixels(DWORD expectedStep);
void ShotAndStep(const char* name, DWORD step);

// --- Pages of the wizard, each waited for, checked and shot (walk_pages.cpp).
HWND WelcomePage();
HWND Backdrop();
HWND LicencePage();
// The folder page's list as the driver reads it back.
struct ListItem {
    char text[kItemSize];
    LRESULT kind;
};
extern ListItem g_items[kMaxListItems];
int ReadFolderList(HWND page, int* selected);
void LogFolderList(int count, int selected);
void ComputerText(char* text, int size);
// The list for a folder: the computer, the chain of the folder's
// ancestors down to itself (selected), then its subfolders.
void CheckChainList(HWND page, const char* folder, const char* const* chain, int links);
HWND LocationPage();
void CheckDefaultLocation(HWND page, const char* proposal);
void ExpectedTargets(const char* destination, char targets[kFileCount][MAX_PATH]);
// Watches the extraction to its end: each target shown, the counters, the
// bar at its start, on its way and full.
bool ExtractionPage(bool expectSuccess);
void ProgramsSubfolders(const char* programs, int* count);
HWND GroupPage();
bool ShortcutDialog(HWND groupPage);

// --- The finish (walk_read_me.cpp).
// Success question, read-me, farewell.
bool FinishSteps(bool viewReadMe);

// --- The checks of what an installation leaves, whole walks and the
// expected endings (walk_finish.cpp).
// The fixed pauses from the welcome page's Continue to the farewell; the bar
// pauses follow from the file sizes: one report per 1024-byte block and one
// for each file's last partial block, a 10 ms pause whenever the
// half-percent value changes.
void PrintTiming();
void CheckNothingRecorded();
void CheckNoShortcuts(const char* group);
// Files, their times, links and registry records of a finished install.
void CheckInstalled();
// The folder the setup completes a typed path to.
void CompletedFolder(const char* typed, char* out, size_t size);
// A leftover updater link that the finish must remove.
void PlantStaleUpdaterLink();
// Welcome to the farewell, as the walk says.
bool WalkThrough(const Walk* walk);
// Waits for the end while watching that no further window shows up.
void ExpectQuietEnd(HWND known);
// Any page whose cancel shows the abort notice.
void ExpectAbortNotice(HWND page);
// Refused input on the folder page: the warning, and the page stays.
void ExpectRefusal(HWND page, const char* typed, const char* message);
// The same on the group page; a NULL message takes any warning text
// (scenarios_pages.cpp).
void ExpectGroupRefusal(HWND page, const char* typed, const char* message);

#endif
