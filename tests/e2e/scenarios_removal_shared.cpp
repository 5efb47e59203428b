// A program group shared with another product, whose setup wrote its links
// over two of ours of the same captions, and a SendTo link of our main
// program's caption leading elsewhere. Only the links to our files go; the
// group folder that holds the others stays, named in the end box even while
// the program folder, held by Notepad, waits for the restart.
#include <windows.h>
#include <shlobj.h>
#include <stdio.h>

#include "e2e_scenarios.h"
#include "e2e_system.h"
#include "e2e_uninstall.h"
#include "e2e_walk.h"

#define OTHER_FOLDER "C:\\Othervale"

int RemoveSharedGroup()
{
    TakeSnapshot(kBefore);
    if (!InstallProduct()) {
        return RemovalOutcome();
    }
    char programs[MAX_PATH];
    char sendTo[MAX_PATH];
    char group[MAX_PATH];
    char links[3][MAX_PATH];
    SpecialFolder(CSIDL_PROGRAMS, programs);
    SpecialFolder(CSIDL_SENDTO, sendTo);
    JoinPath(group, sizeof group, programs, g_walk.group);
    // Ours lead into the Windows folder, the program folder, the program folder.
    snprintf(links[0], MAX_PATH, "%s\\%s.lnk", group, kFiles[0].caption);
    snprintf(links[1], MAX_PATH, "%s\\%s.lnk", group, kFiles[kReadMe].caption);
    snprintf(links[2], MAX_PATH, "%s\\%s.lnk", sendTo, kFiles[kMainProgram].caption);
    // The other product's main program has our main program's name.
    char program[MAX_PATH];
    JoinPath(program, sizeof program, OTHER_FOLDER, kFiles[kMainProgram].name);
    const char* const kTargets[] = {OTHER_FOLDER "\\Uninstall.exe", OTHER_FOLDER "\\Read Me.txt",
                                    program};
    AllowanceList kept;
    kept.count = 0;
    const char* why = "the other product's, kept";
    CreateDirectoryA(OTHER_FOLDER, NULL);
    Allow(&kept, true, why, "+ " OTHER_FOLDER);
    Allow(&kept, true, why, "+ %s", group);
    for (int i = 0; i < 3; i++) {
        PlantFile(kTargets[i]);
        Check(DeleteFileA(links[i]) && WriteLink(links[i], kTargets[i]), "%s now leads to %s",
              links[i], kTargets[i]);
        Allow(&kept, true, why, "+ %s", kTargets[i]);
        Allow(&kept, true, why, "+ %s", links[i]);
    }
    PROCESS_INFORMATION holder;
    if (!StartNotepad(g_walk.destination, &holder)) {
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
    if (removed) {
        AllowanceList untilRestart;
        untilRestart.count = 0;
        AllowProgramFolders(&untilRestart, true, "held at the removal, deleted at the restart");
        CheckAfterRemoval(&kept, &untilRestart);
    }
    return RemovalOutcome();
}
