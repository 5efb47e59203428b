// Helpers shared by the tests that run under Wine.
#ifndef VANTOR_TEST_SUPPORT_H
#define VANTOR_TEST_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

#include "install_state.h"
#include "product_identity.h"

// The notice that ends every aborted installation, with the product's
// support address.
#define ABORT_NOTICE_TEXT                                                  \
    "Installation Aborted!\r\n\r\nIf you need assistance you can email\r\n" \
    "support at - " PRODUCT_SUPPORT_ADDRESS "!"

// The setup program's module, loaded as data: its resources (payload,
// licence, templates, pictures) are what the tests use.
HMODULE SetupModule();

// What the last message box showed, as a user would have seen it.
struct BoxSeen {
    int count;
    std::string caption;
    std::string text;
    HICON icon;
};

// Answers every message box of this thread with the given button and
// records them all; seen is the last. Stops when it goes out of scope.
// kPressEnter presses whichever button is the box's default.
const int kPressEnter = -1;
struct BoxAnswerer {
    explicit BoxAnswerer(int button = IDOK);
    ~BoxAnswerer();
    int button() const;
    BoxSeen seen;
    std::vector<BoxSeen> boxes;
    // Called with each box as seen, before it is answered: a test can
    // change the world the way a user would while the box is up.
    void (*onBox)(const BoxSeen& box) = nullptr;
};

// A message box is a dialog with a text static of id 0xFFFF; the pages
// have such statics too, so a dialog with a page's own control is none.
bool IsMessageBox(HWND window);

// A window with the extraction page's value controls 400 to 406.
HWND CreateProgressWindow();

// A fresh empty folder C:\vantor-tests\<name>, and its removal.
std::string MakeTestFolder(const char* name);
void RemoveTree(const std::string& path);

bool ReadWholeFile(const std::string& path, std::string* contents);
// Whether path is a plain file with no other name.
bool HasOneName(const char* path);
bool WriteWholeFile(const std::string& path, const std::string& contents);

// Gives Everyone full control of the folder, as a user's own folder under
// a drive's root may; Wine keeps it as the host's o+w.
bool LetEveryoneChange(const std::string& folder);

// Removes the vendor key and the uninstall entry of the product.
void ClearProductRegistry();
// The product's record of an installation in folder, as the setup leaves
// it: the vendor key naming the folder, and an uninstall entry.
void RecordInstallation(const std::string& folder);

// The install state as the program starts.
void ResetInstallState();



// The install state exactly as the program started with it, kept by
// RememberInitialState right after StartSetupRecord.
void RememberInitialState();
const InstallState& InitialInstallState();
#endif
