// The product's links: the main program's in the SendTo folder and one per
// leading entry in the program group. A group may be shared with another
// product whose links bear the same captions, so a link goes only when it
// still leads to the file the setup made it for; any other stays with its
// owner, and so does the group folder that holds it.
#include "uninstaller.h"

#include <objbase.h>
#include <string.h>

#include "folder_chain.h"
#include "link_target.h"
#include "path_helpers.h"
#include "removal_rules.h"
#include "run_log.h"
#include "uninstall_texts.h"

// Whether a link's target is the path the setup gave it, as the file
// system compares names: made whole, then letter case aside. The setup
// gives a drive path, so a relative target, which would be taken from
// this program's current folder, is another's.
static bool SamePath(const char* a, const char* b)
{
    char first[MAX_PATH];
    char second[MAX_PATH];
    if (!(a[0] != '\0' && a[1] == ':' && a[2] == '\\')) {
        return false;
    }
    DWORD n = GetFullPathNameA(a, sizeof first, first, NULL);
    DWORD m = GetFullPathNameA(b, sizeof second, second, NULL);
    if (n == 0 || n >= sizeof first || m == 0 || m >= sizeof second) {
        return false;
    }
    CharUpperBuffA(first, n);
    CharUpperBuffA(second, m);
    return strcmp(first, second) == 0;
}

// Deletes the link file when it is ours: a plain file that reads as a link
// to target. A link that cannot be read is not known to be ours; without
// the component runtime none can be, and each that stays is named.
static StepOutcome RemoveOwnLink(const char* link, const char* target, const char* folder,
                                 bool canRead)
{
    DWORD attributes = GetFileAttributesA(link);
    bool plain = attributes != INVALID_FILE_ATTRIBUTES &&
                 !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
    if (plain && !canRead) {
        g_removal.failed = true;
        AddLeft(link, LEFT_FAILED);
        return kStepDone;
    }
    char found[MAX_PATH];
    if (plain && !(ReadLinkTarget(link, found) && SamePath(found, target))) {
        LogLine("a link that does not lead to %s, left to its owner: %s", target, link);
        return kStepDone;
    }
    // Gone already, or no file: DeleteOwnFile says so.
    return DeleteOwnFile(link, folder);
}

// The link to file in folder (the program folder or the Windows folder),
// in linkFolder. A link to a file of a program folder the removal left
// untouched stays with that file, and sets kept.
static StepOutcome RemoveLinkTo(const char* link, const char* folder, const char* file,
                                const char* linkFolder, bool canRead, bool* kept)
{
    const Removal& r = g_removal;
    char target[MAX_PATH];
    if ((folder == r.programPath && r.programFolderKept) || folder[0] == '\0' ||
        !JoinPath(target, sizeof target, folder, file, false)) {
        if (GetFileAttributesA(link) != INVALID_FILE_ATTRIBUTES) {
            LogLine("left with the program folder's files: %s", link);
            *kept = true;
        }
        return kStepDone;
    }
    return RemoveOwnLink(link, target, linkFolder, canRead);
}

// The group's links, then the group folder itself; when links stay with
// an untouched program folder, the group stays with them, unnamed: the end
// box already says the removal is not complete.
static StepOutcome RemoveGroupLinks(const char* group, bool canRead)
{
    const Removal& r = g_removal;
    StepOutcome outcome = kStepDone;
    bool kept = false;
    for (int i = 0; i < kShortcutCount && i < kInstalledCount; i++) {
        const ProductEntry& entry = kEntries[i];
        const char* folder =
            (entry.flags & kShortcutInDestination) ? r.programPath : r.windowsFolder;
        char link[MAX_PATH];
        if (outcome == kStepDone &&
            MakeShortcutPath(link, sizeof link, r.programsFolder, r.groupName, entry.caption)) {
            outcome = RemoveLinkTo(link, folder, entry.target, group, canRead, &kept);
        }
    }
    if (outcome == kStepDone && !IsPlainFolderChain(group)) {
        outcome = kFolderChanged;  // after an in-use box, perhaps
    }
    if (outcome == kFolderChanged) {
        LeaveUnsafe(group);
    } else if (outcome == kStepDone && !kept) {
        RemoveFolderIfEmpty(group);
    }
    return outcome;
}

static bool RemoveLinksRead(bool canRead)
{
    Removal& r = g_removal;
    char link[MAX_PATH];
    const ProductEntry& program = kEntries[kMainProgramEntry];
    bool kept = false;
    // The SendTo link always leads into the program folder.
    if (r.sendToFolder[0] != '\0' &&
        MakeShortcutPath(link, sizeof link, r.sendToFolder, "", program.caption) &&
        RemoveLinkTo(link, r.programPath, program.target, NULL, canRead, &kept) ==
            kStepCancelled) {
        return false;
    }
    if (r.programsFolder[0] == '\0') {
        return true;
    }
    char group[MAX_PATH];
    if (!IsPlainGroupName(r.groupName) ||
        !JoinPath(group, sizeof group, r.programsFolder, r.groupName, false)) {
        LeaveUnsafe(r.groupName);
        return true;
    }
    FolderChainState chain = CheckFolderChain(group);
    if (chain == kChainUnfinished) {
        return true;  // no such group folder: nothing to remove
    }
    if (chain == kChainLinked) {
        LeaveUnsafe(group);  // its links, if any, stay where it leads
        return true;
    }
    return RemoveGroupLinks(group, canRead) != kStepCancelled;
}

bool RemoveLinks()
{
    // The links are read through the shell's link object.
    HRESULT init = CoInitialize(NULL);
    bool done = RemoveLinksRead(SUCCEEDED(init));
    if (SUCCEEDED(init)) {
        CoUninitialize();
    }
    return done;
}
