#include "replace_check.h"

#include "file_names.h"
#include "install_pass.h"
#include "install_state.h"
#include "page_services.h"
#include "run_log.h"

namespace {

// The first target the pass would write that is in use; false when none is.
bool FindTargetInUse(char path[kPathBufferSize])
{
    int count = InstalledEntryCount();
    for (int i = 0; i < count; ++i) {
        // A target left in place is not replaced; one that does not fit
        // fails in its turn with the error box.
        if (MakeTargetPath(path, i) && ShouldWriteFile(path, i) && !CanReplace(path)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool CanReplace(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // Nothing to replace; a folder in the way fails later, at its entry.
        return true;
    }
    // A read-only file refuses writing to everyone, and the pass deletes
    // its name rather than write into it; here only its use by others
    // counts.
    DWORD access = (attributes & FILE_ATTRIBUTE_READONLY) ? GENERIC_READ | FILE_WRITE_ATTRIBUTES
                                                          : GENERIC_WRITE;
    HANDLE file = CreateFileA(path, access, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return IsMissingError(error);
    }
    CloseHandle(file);
    return true;
}

bool WaitForReplaceableTargets(HWND page)
{
    char path[kPathBufferSize];
    while (FindTargetInUse(path)) {
        // Nobody can choose Retry: the log names the file and the error.
        if (IsUnattendedRun()) {
            LogLine("%s" IN_USE_LOG_TEXT ": error %lu", path, GetLastError());
            return false;
        }
        // The path holds at most 259 characters, so the text fits.
        if (ShowFormattedBox(page, MB_RETRYCANCEL | MB_ICONWARNING, TARGET_IN_USE_FORMAT, path) !=
            IDRETRY) {
            return false;
        }
    }
    return true;
}
