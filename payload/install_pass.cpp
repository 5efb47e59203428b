#include "install_pass.h"

#include <string.h>

#include "extraction_page.h"
#include "file_names.h"
#include "folder_chain.h"
#include "held_folder.h"
#include "install_state.h"
#include "lzhuf_decoder.h"
#include "made_list.h"
#include "page_ids.h"
#include "page_services.h"
#include "path_checks.h"
#include "path_helpers.h"
#include "pending_deletions.h"
#include "registry_records.h"
#include "replace_check.h"
#include "run_log.h"

namespace {

struct OutputSink {
    unsigned char buffer[kOutputBufferSize];
    uint32_t fill;
    unsigned char* writePos;
    HANDLE file;
    bool writeFailed;
    DWORD writeError;  // kept as the failed write left it
};

OutputSink s_output;

// Writes the buffered bytes and reports what the system wrote. After a
// failed or short write nothing more is written and the decoder is told to
// stop: the pass then removes the file instead of reporting it installed.
void WriteBuffered(HWND page)
{
    DWORD written = 0;
    if (!s_output.writeFailed) {
        BOOL wrote = WriteFile(s_output.file, s_output.buffer, s_output.fill, &written, NULL);
        if (!wrote || written != s_output.fill) {
            // A short write that reports no error ran out of room.
            s_output.writeError = wrote ? (DWORD)ERROR_DISK_FULL : GetLastError();
            s_output.writeFailed = true;
            g_decoder.outputLeft = 0;
        }
    }
    s_output.fill = 0;
    s_output.writePos = s_output.buffer;
    AdvanceProgress(page, written);
}

// The error box of a failure: what failed, and that the installation ends.
// The log names the file or folder and the system's reason: the last
// error, as the failing call left it, read before anything can change it.
int FailPass(HWND page, const char* failure, const char* path)
{
    DWORD error = GetLastError();
    char what[kPathBufferSize + 32];
    wsprintfA(what, "The installation failed at %s", path);
    LogError(what, error);
    ShowFormattedBox(page, MB_OK | MB_ICONERROR, "%s" ABORTING_LINE, failure);
    return -1;
}

// Writes one entry to its target: 1, or -1 after the error box.
int WritePayload(HWND page, const char* target, const PayloadEntry& entry, const FILETIME& stamp)
{
    DWORD available = 0;
    const unsigned char* packed =
        (const unsigned char*)LockProgramResource(entry.resourceName, RT_RCDATA, &available);
    if (packed == NULL) {
        // The program's own resources are incomplete: as good as a file
        // that cannot be created.
        return FailPass(page, CREATE_FAILED_LINE, target);
    }
    // A target in the destination is written only while the destination's
    // path still leads to the folder held since the check.
    const char* folder = (entry.flags & kIntoWindowsFolder) ? NULL : g_setup.state.destinationFolder;
    if (folder != NULL && !LeadsToHeldFolder(folder)) {
        return FailPass(page, FOLDER_CHANGED_LINE, folder);
    }
    // The old file's name goes and a new file is made: whatever else the
    // name led to keeps its contents and attributes.
    bool existed = PathExists(target);
    if (!RemoveFileName(target)) {
        return FailPass(page, CREATE_FAILED_LINE, target);
    }
    if (existed) {
        NoteMade(target, kReplacedFile);
    }
    if (!CancelPendingDeletion(target)) {
        return FailPass(page, DELETION_PENDING_LINE, target);
    }
    HANDLE file = CreateNewFile(target);
    if (file == INVALID_HANDLE_VALUE) {
        return FailPass(page, CREATE_FAILED_LINE, target);
    }
    if (folder != NULL && !LeadsToHeldFolder(folder)) {
        // Swapped while the file was made: it may lie in the other place.
        DWORD error = GetLastError();
        DeleteOpenFile(file);
        CloseHandle(file);
        SetLastError(error);
        return FailPass(page, FOLDER_CHANGED_LINE, folder);
    }
    s_output.file = file;
    s_output.writeFailed = false;
    // Never read past the resource, whatever the entry claims.
    g_decoder.input = packed;
    g_decoder.inputLeft = entry.packedSize < available ? entry.packedSize : available;
    g_decoder.outputLeft = entry.unpackedSize;
    DecodePayload(page);
    if (s_output.writeFailed) {
        DeleteOpenFile(file);
        CloseHandle(file);
        SetLastError(s_output.writeError);
        return FailPass(page, WRITE_FAILED_LINE, target);
    }
    SetFileTime(file, &stamp, &stamp, &stamp);
    CloseHandle(file);
    if (!existed) {
        NoteMade(target, kMadeFile);
    }
    LogLine("Wrote %s (%lu bytes)", target, (unsigned long)entry.unpackedSize);
    return 1;
}

}  // namespace

void EmptyOutputBuffer()
{
    s_output.fill = 0;
    s_output.writePos = s_output.buffer;
}

void PutOutputByte(HWND page, unsigned char c)
{
    *s_output.writePos++ = c;
    ++s_output.fill;
    --g_decoder.outputLeft;
    if (s_output.fill == kOutputBufferSize) {
        WriteBuffered(page);
    }
}

void FlushOutput(HWND page)
{
    if (s_output.fill != 0) {
        WriteBuffered(page);
    }
}

bool PathExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool ShouldWriteFile(const char* path, int entry)
{
    if (g_setup.manifest.files[entry].flags & kAlwaysWrite) {
        return true;
    }
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return true;
    }
    CloseHandle(file);
    return false;
}

bool IsDeletableFile(const char* name)
{
    const char* extension = FindExtension(name);
    if (extension == NULL) {
        return true;
    }
    for (const char* preserved : kPreservedExtensions) {
        if (SameTextIgnoringCase(extension, preserved)) {
            return false;
        }
    }
    return true;
}

bool CleanFolder(const char* folder)
{
    char path[kPathBufferSize];
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstIn(folder, "*.*", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool stayed = true;
    bool linked = false;
    do {
        // The setup never makes subfolders: whatever is in one is the
        // user's. An entry whose path does not fit is left.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !IsDeletableFile(found.cFileName) ||
            !JoinPath(path, sizeof path, folder, found.cFileName, false)) {
            continue;
        }
        if (!LeadsToHeldFolder(folder)) {
            stayed = false;
            break;
        }
        // A name that cannot go alone (a read-only file with other names, a
        // file in use) stays. A link stops the pass: what it leads to is not
        // known, and a file of ours made there would run from elsewhere.
        if (RemoveFileName(path)) {
            LogLine("Deleted %s", path);
        } else {
            DWORD error = GetLastError();
            LogError(path, error);
            if (error == kNameLeadsElsewhere) {
                stayed = false;
                linked = true;
                break;
            }
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    if (linked) {
        SetLastError(kNameLeadsElsewhere);  // kept past the closing of the search
    }
    return stayed;
}

bool IsReachedThroughLink(const char* folder)
{
    return CheckFolderChain(folder) != kChainPlain;
}

bool HoldsEarlierInstallation(const char* folder)
{
    // By its record only: a file of the product's name proves nothing, and
    // the cleaning would take whatever lies beside it.
    char path[kPreviousFolderSize];
    return ReadPreviousFolder(path) && SameFolder(path, folder) && HasUninstallEntry();
}

int InstalledEntryCount()
{
    int count = g_setup.manifest.entryCount > 0 ? g_setup.manifest.entryCount : 0;
    return count < kPayloadTableSize ? count : kPayloadTableSize;
}

bool MakeTargetPath(char target[kPathBufferSize], int entry)
{
    const InstallState& state = g_setup.state;
    const PayloadEntry& file = g_setup.manifest.files[entry];
    const char* folder =
        (file.flags & kIntoWindowsFolder) ? state.windowsFolder : state.destinationFolder;
    return JoinPath(target, kPathBufferSize, folder, file.targetName, false);
}

namespace {

int RunPass(HWND page)
{
    const ProductManifest& manifest = g_setup.manifest;
    InstallState& state = g_setup.state;

    // The destination and each folder above it are made where missing
    // and held from here on; none may be a junction or a link, whoever made
    // it chose where the writing would land. Cleaning deletes files, so it
    // is done only where an earlier installation of the product stands.
    const char* destination = state.destinationFolder;
    LogLine("Destination: %s", destination);
    bool existed = IsFolderPath(destination);
    FolderHold held = CreateFolderChain(destination);
    if (held == kFolderUnusable) {
        return FailPass(page, CREATE_FAILED_LINE, destination);
    }
    if (held == kFolderOpenToUsers) {
        return FailPass(page, OPEN_FOLDER_LINE, destination);
    }
    if (held == kFolderLinked || CheckFolderChain(destination) != kChainPlain) {
        return FailPass(page, FOLDER_CHANGED_LINE, destination);
    }
    if (!existed) {
        LogLine("Created %s", destination);
    } else if (HoldsEarlierInstallation(destination)) {
        LogLine("Cleaning %s", destination);
        if (!CleanFolder(destination)) {
            return FailPass(page,
                            GetLastError() == kNameLeadsElsewhere ? LINKED_FILE_LINE
                                                                  : FOLDER_CHANGED_LINE,
                            destination);
        }
    }

    FILETIME local, stamp;
    SystemTimeToFileTime((const SYSTEMTIME*)&manifest.fileTime, &local);
    LocalFileTimeToFileTime(&local, &stamp);

    int count = InstalledEntryCount();
    for (int i = 0; i < count; ++i) {
        state.progressTotal += manifest.files[i].unpackedSize;
    }
    ShowNumber(page, IDC_TOTAL_SIZE, state.progressTotal);
    ShowNumber(page, IDC_TOTAL_FILES, (uint32_t)count);

    for (int i = 0; i < count; ++i) {
        const PayloadEntry& entry = manifest.files[i];
        char target[kPathBufferSize];
        // Refused also when the entry's folder slot is empty.
        bool fits = MakeTargetPath(target, i);
        SetDlgItemTextA(page, IDC_EXTRACTING, target);
        ShowNumber(page, IDC_CURRENT_FILE, (uint32_t)(i + 1));
        PumpMessages(page, kEntryPause);
        if (!fits) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return FailPass(page, CREATE_FAILED_LINE, entry.targetName);
        }
        if (ShouldWriteFile(target, i)) {
            if (WritePayload(page, target, entry, stamp) < 0) {
                return -1;
            }
        } else {
            LogLine("Kept %s", target);
            AdvanceProgress(page, entry.unpackedSize);
        }
    }
    return 1;
}

}  // namespace

int InstallFiles(HWND page)
{
    // Nothing is cleaned or written while a file to be replaced is in use:
    // the product would be left half replaced.
    if (!WaitForReplaceableTargets(page)) {
        return -1;
    }
    int result = RunPass(page);
    ReleaseFolderChain();
    return result;
}
