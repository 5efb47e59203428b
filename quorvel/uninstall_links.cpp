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

// Two paths as the file system compares names: made whole, then letter
// case aside.
static bool SamePath(const char* a, const char* b)
{
    char first[MAX_PATH];
    char second[MAX_PATH];
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

// What the setup made the entry's link lead to; false when that folder is
// not known.
static bool LinkTarget(const ProductEntry& entry, char* out, size_t size)
{
    const Removal& r = g_removal;
    const char* folder = (entry.flags & kShortcutInDestination) ? r.programPath : r.windowsFolder;
    return folder[0] != '\0' && JoinPath(out, size, folder, entry.target, false);
}

// The group's links, then the group folder itself. Links to files of a
// program folder the removal left untouched stay with those files, and the
// group with them, unnamed: the end box already says the removal is not
// complete.
static StepOutcome RemoveGroupLinks(const char* group, bool canRead)
{
    const Removal& r = g_removal;
    StepOutcome outcome = kStepDone;
    bool kept = false;
    for (int i = 0; i < PRODUCT_SHORTCUT_COUNT && i < PRODUCT_INSTALLED_COUNT; i++) {
        char link[MAX_PATH];
        char target[MAX_PATH];
        if (outcome != kStepDone ||
            !MakeShortcutPath(link, sizeof link, r.programsFolder, r.groupName, kEntries[i].caption)) {
            continue;
        }
        if ((r.programFolderKept && (kEntries[i].flags & kShortcutInDestination)) ||
            !LinkTarget(kEntries[i], target, sizeof target)) {
            kept = kept || GetFileAttributesA(link) != INVALID_FILE_ATTRIBUTES;
            continue;
        }
        outcome = RemoveOwnLink(link, target, group, canRead);
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
    char target[MAX_PATH];
    const ProductEntry& program = kEntries[kMainProgramEntry];
    // The SendTo link always leads into the program folder.
    if (r.sendToFolder[0] != '\0' && !r.programFolderKept && r.programPath[0] != '\0' &&
        MakeShortcutPath(link, sizeof link, r.sendToFolder, "", program.caption) &&
        JoinPath(target, sizeof target, r.programPath, program.target, false) &&
        RemoveOwnLink(link, target, NULL, canRead) == kStepCancelled) {
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
