// The destination the folder page and an unattended run propose: where an
// earlier installation went, else the description's default base folder
// with the product's name joined.
#include "location_page.h"

#include <shlobj.h>
#include <string.h>

#include "extraction_page.h"
#include "location_checks.h"
#include "path_helpers.h"
#include "product_identity.h"  // the token a base folder may start with
#include "registry_records.h"

bool ResolveBaseFolder(char out[kFolderSlotSize], const char* base)
{
    const size_t token = strlen(PROGRAM_FILES_FOLDER_TOKEN);
    if (strncmp(base, PROGRAM_FILES_FOLDER_TOKEN, token) != 0) {
        return CopyText(out, kFolderSlotSize, base);
    }
    // A 32-bit program is given the 32-bit folder on a 64-bit Windows.
    char programFiles[kFolderSlotSize];
    if (!ReadSpecialFolder(NULL, CSIDL_PROGRAM_FILES, programFiles) || programFiles[0] == '\0') {
        // Never seen: the folder every Windows of this program's reach has.
        char windows[kFolderSlotSize];
        UINT length = GetWindowsDirectoryA(windows, sizeof windows);
        windows[length > 0 && length < sizeof windows ? 3 : 0] = '\0';
        if (!JoinPath(programFiles, sizeof programFiles, windows, "Program Files", false)) {
            out[0] = '\0';
            return false;
        }
    }
    // The rest starts with a backslash or is empty; the folder has none at
    // its end unless it is a drive's root.
    const char* rest = base + token;
    if (rest[0] == '\\' && programFiles[strlen(programFiles) - 1] == '\\') {
        ++rest;
    }
    if (!AppendText(programFiles, sizeof programFiles, rest)) {
        out[0] = '\0';
        return false;
    }
    return CopyText(out, kFolderSlotSize, programFiles);
}

void ProposedFolder(char folder[kFolderSlotSize])
{
    char previous[kPreviousFolderSize];
    char checked[kFolderSlotSize];
    if (ReadPreviousFolder(previous) && previous[0] != '\0' &&
        ChooseDestination(checked, previous) == kLocationAccepted &&
        CopyText(folder, kFolderSlotSize, previous)) {
        return;
    }
    // A base that cannot be resolved is empty, which the join refuses:
    // the page then proposes nothing.
    char base[kFolderSlotSize];
    ResolveBaseFolder(base, DEFAULT_BASE_FOLDER);
    JoinPath(folder, kFolderSlotSize, base, g_setup.manifest.productName, false);
}
