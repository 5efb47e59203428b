// A program group shared with another product, whose setup wrote its own
// links over two of ours of the same captions, and a SendTo link of our
// main program's caption that leads elsewhere. The removal takes only the
// links that lead to our files; the others stay, and so does the group
// folder that holds them, named in the end box even while the program
// folder, held by another program, waits for the restart.
#include <windows.h>
#include <shlobj.h>
#include <stdio.h>

#include "e2e_scenarios.h"
#include "e2e_system.h"
#include "e2e_uninstall.h"
#include "e2e_walk.h"

namespace {

#define OTHER_FOLDER "C:\\Othervale"

// Where the other product's links lead, by the entry of ours whose
// caption each takes; the uninstaller's link leads into the Windows folder,
// the read-me's into the program folder.
const struct {
    int entry;
    const char* target;
} kOtherLinks[] = {
    {0, OTHER_FOLDER "\\Uninstall.exe"},
    {kReadMe, OTHER_FOLDER "\\Read Me.txt"},
};

// The other product's files and its links in place of ours; each link
// put in allowed, as what stays.
bool PlantOtherProduct(const char* group, const char* sendToLink, AllowanceList* allowed)
{
    const char* why = "the other product's, kept";
    CreateDirectoryA(OTHER_FOLDER, NULL);
    Allow(allowed, true, why, "+ " OTHER_FOLDER);
    Allow(allowed, true, why, "+ %s", group);
    const int count = sizeof kOtherLinks / sizeof kOtherLinks[0];
    // Its main program, of our main program's name.
    char program[MAX_PATH];
    JoinPath(program, sizeof program, OTHER_FOLDER, kFiles[kMainProgram].name);
    for (int i = 0; i <= count; i++) {
        char link[MAX_PATH];
        const char* target = i < count ? kOtherLinks[i].target : program;
        if (i < count) {
            snprintf(link, sizeof link, "%s\\%s.lnk", group, kFiles[kOtherLinks[i].entry].caption);
        } else {
            snprintf(link, sizeof link, "%s", sendToLink);
        }
        PlantFile(target);
        if (!Check(DeleteFileA(link) && WriteLink(link, target), "%s now leads to %s", link,
                   target)) {
            return false;
        }
        Allow(allowed, true, why, "+ %s", target);
        Allow(allowed, true, why, "+ %s", link);
    }
    return true;
}

}  // namespace

int RemoveSharedGroup()
{
    TakeSnapshot(kBefore);
    if (!InstallProduct()) {
        return RemovalOutcome();
    }
    char programs[MAX_PATH];
    char sendTo[MAX_PATH];
    char group[MAX_PATH];
    char sendToLink[MAX_PATH];
    SpecialFolder(CSIDL_PROGRAMS, programs);
    SpecialFolder(CSIDL_SENDTO, sendTo);
    JoinPath(group, sizeof group, programs, g_walk.group);
    snprintf(sendToLink, sizeof sendToLink, "%s\\%s.lnk", sendTo, kFiles[kMainProgram].caption);
    AllowanceList kept;
    kept.count = 0;
    PROCESS_INFORMATION holder;
    if (!PlantOtherProduct(group, sendToLink, &kept) ||
        !StartNotepad(g_walk.destination, &holder)) {
        return RemovalOutcome();
    }
    Lines required = {};
    AddLine(&required, AT_RESTART_LINE, g_walk.destination);
    AddLine(&required, KEPT_FOLDER_LINE, group);
    RemovalAnswers answers = {};
    answers.leftLines = required.list;
    answers.restartNeeded = true;
    bool removed = RemoveProduct(&answers);
    EndNotepad(&holder);
    if (!removed) {
        return RemovalOutcome();
    }
    AllowanceList untilRestart;
    untilRestart.count = 0;
    const char* why = "held at the removal, deleted at the restart";
    Allow(&untilRestart, true, why, "+ %s", g_walk.destination);
    Allow(&untilRestart, true, why, "+ %s", BaseFolder());
    CheckAfterRemoval(&kept, &untilRestart);
    return RemovalOutcome();
}
