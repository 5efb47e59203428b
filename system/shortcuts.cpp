// Shell links for the product: one in the program group for each of the
// first shortcut-count payload entries, and one for the main program in
// the SendTo folder, written through the shell's link object.
#include "shortcuts.h"

#include <commctrl.h>
#include <shlguid.h>
#include <shlobj.h>

#include "file_names.h"
#include "install_state.h"
#include "link_target.h"
#include "page_ids.h"
#include "page_services.h"
#include "path_checks.h"
#include "path_helpers.h"
#include "pending_deletions.h"
#include "run_log.h"

enum {
    kLinkPause = 200,    // after each group link, so the dialog keeps painting
    kFinishPause = 500,
    kLongestPath = MAX_PATH - 1,
};

namespace {

bool CanSearch(const char* folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstIn(folder, "*", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return true;
}

// Creates the group folder, the last level only; one that is already there
// is used as it is.
bool MakeGroupFolder()
{
    const InstallState& state = g_setup.state;
    char folder[MAX_PATH];
    // An empty Programs slot would put the group at the root of a drive.
    if (state.programsFolder[0] == '\0' ||
        !JoinPath(folder, sizeof folder, state.programsFolder, state.groupName, false)) {
        return false;
    }
    return CreateDirectoryA(folder, NULL) ||
           (GetLastError() == ERROR_ALREADY_EXISTS && IsFolderPath(folder));
}

// A link to file in folder, saved as caption.lnk in linkFolder\middle.
// Nothing is made from an empty folder or from a path that does not fit.
void MakeEntryLink(const char* folder, const char* file, const char* linkFolder,
                   const char* middle, const char* caption)
{
    char target[MAX_PATH];
    char link[MAX_PATH];
    if (folder[0] != '\0' && linkFolder[0] != '\0' &&
        JoinPath(target, sizeof target, folder, file, false) &&
        MakeShortcutPath(link, sizeof link, linkFolder, middle, caption)) {
        MakeLink(target, folder, link, caption);
    }
}

void MakeAllLinks(HWND dialog, bool groupReady)
{
    const ProductManifest& manifest = g_setup.manifest;
    const InstallState& state = g_setup.state;
    int count = manifest.shortcutCount;
    if (count > kPayloadTableSize) {
        count = kPayloadTableSize;
    }
    HWND bar = GetDlgItem(dialog, IDC_SHORTCUT_PROGRESS);
    for (int i = 0; i < count; ++i) {
        const PayloadEntry& entry = manifest.files[i];
        SetDlgItemTextA(dialog, IDC_SHORTCUT_CAPTION, entry.caption);
        const char* folder = (entry.flags & kShortcutInDestination) ? state.destinationFolder
                                                                    : state.windowsFolder;
        if (groupReady) {
            MakeEntryLink(folder, entry.targetName, state.programsFolder, state.groupName,
                          entry.caption);
        }
        SendMessageA(bar, PBM_STEPIT, 0, 0);
        PumpMessages(dialog, kLinkPause);
    }
    // The caption field keeps the last group link's caption, and the bar
    // does not count this one.
    const PayloadEntry& program = manifest.files[kMainProgramEntry];
    MakeEntryLink(state.destinationFolder, program.targetName, state.sendToFolder, "",
                  program.caption);
    PumpMessages(dialog, kFinishPause);
}

// The link's bytes, made in memory, into a file made new at linkFile.
// Saving by name would write into whatever the name leads to, which may be
// another name of somebody else's file made again after the old name went;
// a new file fails instead, and the link is then missing.
bool SaveIntoNewFile(IShellLinkA* link, const char* linkFile)
{
    bool saved = false;
    IPersistStream* persist = NULL;
    IStream* stream = NULL;
    HGLOBAL memory = NULL;
    STATSTG stat;
    if (FAILED(link->QueryInterface(IID_IPersistStream, (void**)&persist))) {
        return false;
    }
    if (SUCCEEDED(CreateStreamOnHGlobal(NULL, TRUE, &stream)) &&
        SUCCEEDED(persist->Save(stream, TRUE)) && SUCCEEDED(GetHGlobalFromStream(stream, &memory)) &&
        SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) && stat.cbSize.HighPart == 0) {
        const void* bytes = GlobalLock(memory);
        HANDLE file = bytes != NULL ? CreateNewFile(linkFile) : INVALID_HANDLE_VALUE;
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            bool whole = WriteFile(file, bytes, stat.cbSize.LowPart, &written, NULL) &&
                         written == stat.cbSize.LowPart;
            if (!whole) {
                DeleteOpenFile(file);  // half a link is no link
            }
            saved = whole;
            CloseHandle(file);
        }
        if (bytes != NULL) {
            GlobalUnlock(memory);
        }
    }
    if (stream != NULL) {
        stream->Release();
    }
    persist->Release();
    return saved;
}

}  // namespace

int CreateShortcuts(HWND dialog)
{
    // CoInitialize's own call, under the name the read-me's start imports.
    HRESULT init = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    if (init != S_OK) {
        // S_FALSE: already initialised on this thread, but it still counts
        // a use that must be given back.
        if (SUCCEEDED(init)) {
            CoUninitialize();
        }
        return 0;
    }
    int count = g_setup.manifest.shortcutCount > 0 ? g_setup.manifest.shortcutCount : 0;
    HWND bar = GetDlgItem(dialog, IDC_SHORTCUT_PROGRESS);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, count));
    SendMessageA(bar, PBM_SETSTEP, 1, 0);

    // A group folder that cannot be made in a Programs folder that is there
    // means the links would silently go nowhere: that is a failure.
    LogLine("Program group: %s", g_setup.state.groupName);
    bool groupReady = MakeGroupFolder();
    int result = 0;
    if (groupReady || !CanSearch(g_setup.state.programsFolder)) {
        MakeAllLinks(dialog, groupReady);
        result = 1;
    }
    CoUninitialize();
    return result;
}

void MakeLink(const char* target, const char* workingFolder, const char* linkFile,
              const char* description)
{
    // The link object and the conversion would cut a longer path into
    // another one.
    const char* const paths[] = {target, workingFolder, linkFile};
    for (const char* path : paths) {
        if (lstrlenA(path) > kLongestPath) {
            return;
        }
    }
    IShellLinkA* link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void**)&link))) {
        return;
    }
    link->SetPath(target);
    link->SetWorkingDirectory(workingFolder);
    link->SetDescription(description);
    // A restart must not take the new link away; where it still may, the
    // log says so, and the link is made as any other.
    CancelPendingDeletion(linkFile);
    if (RemoveFileName(linkFile) && SaveIntoNewFile(link, linkFile)) {
        LogLine("Link %s to %s", linkFile, target);
    } else {
        LogError(linkFile, GetLastError());
    }
    link->Release();
}

void RemoveStaleLink(const char* linkFile, const char* targetName)
{
    // Without the runtime the link cannot be read, so it stays.
    if (FAILED(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED))) {
        return;
    }
    char target[MAX_PATH];
    if (ReadLinkTarget(linkFile, target)) {
        const char* name = target;
        for (const char* c = target; *c != '\0'; ++c) {
            if (*c == '\\' || *c == '/') {
                name = c + 1;
            }
        }
        if (SameTextIgnoringCase(name, targetName)) {
            RemoveFileName(linkFile);
        }
    }
    CoUninitialize();
}
