#include "ledger_store.h"

#include "path_helpers.h"
#include "product_identity.h"
#include "product_window.h"

enum {
    kFormatScratch = 1025,  // wsprintfA never writes more than 1024 bytes
    // Ledger-N.dat: the ledger's name with room for "-" and the number.
    kAsideNameSize = sizeof LEDGER_FILE_NAME + 8,
};

static struct {
    char folder[MAX_PATH];
    char path[MAX_PATH];
    char tempPath[MAX_PATH];
    bool named;            // path and tempPath fitted
    bool keepUnreadable;   // the file found at start could not be read
    bool replaceAgreed;    // the user chose to replace it, kept aside
    bool memoryOnly;       // the user chose not to replace that file
    bool failureTold;
} g_store;

// Opens and reads the whole file at path; the system's error when it
// cannot, ERROR_SUCCESS with size set when it can.
static DWORD ReadLedgerBytes(const char* path, unsigned char* bytes, DWORD capacity, DWORD* size)
{
    *size = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD got = 0;
    BOOL readable;
    do {
        readable = ReadFile(file, bytes + *size, capacity - *size, &got, NULL);
        *size += readable ? got : 0;
    } while (readable && got > 0 && *size < capacity);
    DWORD error = readable ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    return error;
}

LedgerReadResult ReadLedgerFile(const char* path, LedgerBook* book, LedgerFileResult* why)
{
    book->count = 0;
    *why = LEDGER_FILE_OK;
    // One byte more than the largest ledger, so a longer file shows as one.
    unsigned char bytes[LEDGER_FILE_MAX_SIZE + 1];
    DWORD size = 0;
    DWORD error = ReadLedgerBytes(path, bytes, sizeof bytes, &size);
    for (DWORD waited = 0;
         (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) &&
         waited < LEDGER_READ_RETRY_LIMIT;
         waited += LEDGER_READ_RETRY_PAUSE) {
        Sleep(LEDGER_READ_RETRY_PAUSE);
        error = ReadLedgerBytes(path, bytes, sizeof bytes, &size);
    }
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return LEDGER_READ_NO_FILE;
    if (error != ERROR_SUCCESS)
        return LEDGER_READ_UNREADABLE;
    *why = DecodeLedgerFile(bytes, size, book);
    return *why == LEDGER_FILE_OK ? LEDGER_READ_OK : LEDGER_READ_UNREADABLE;
}

bool WriteLedgerFile(const char* path, const char* tempPath, const LedgerBook* book)
{
    unsigned char bytes[LEDGER_FILE_MAX_SIZE];
    size_t size = EncodeLedgerFile(book, bytes, sizeof bytes);
    if (size == 0)
        return false;
    HANDLE file = CreateFileA(tempPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // Flushed before the move, so the name never points at data still in
    // the cache when the power goes.
    DWORD written = 0;
    bool done = WriteFile(file, bytes, (DWORD)size, &written, NULL) && written == size &&
                FlushFileBuffers(file);
    CloseHandle(file);
    done = done && MoveFileExA(tempPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!done)
        DeleteFileA(tempPath);
    return done;
}

bool SetLedgerFolder(const char* folder)
{
    ZeroMemory(&g_store, sizeof g_store);
    lstrcpynA(g_store.folder, folder, sizeof g_store.folder);
    g_store.named = JoinPath(g_store.path, sizeof g_store.path, folder, LEDGER_FILE_NAME, false) &&
                    JoinPath(g_store.tempPath, sizeof g_store.tempPath, folder, LEDGER_TEMP_NAME,
                             false);
    return g_store.named;
}

bool SetLedgerFolderToProgram()
{
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, program, sizeof program);
    if (length == 0 || length >= sizeof program) {
        // No folder to name: every save fails and says so.
        SetLedgerFolder("");
        g_store.named = false;
        return false;
    }
    char* lastSeparator = program;
    for (char* p = program; *p; p++) {
        if (*p == '\\')
            lastSeparator = p;
    }
    *lastSeparator = '\0';
    return SetLedgerFolder(program);
}

static const char* RefusalText(LedgerFileResult why)
{
    switch (why) {
    case LEDGER_FILE_OK:
        return "could not be opened";
    case LEDGER_FILE_NOT_LEDGER:
        return "is not a " PRODUCT_NAME " ledger";
    case LEDGER_FILE_OTHER_VERSION:
        return "was written by another version of " PRODUCT_NAME;
    default:
        return "is damaged";
    }
}

// A save writes the temporary file whole before it moves it over the
// ledger; with no ledger left beside it (a crash between the two steps, a
// move that is not atomic on FAT) it may be the only copy there is. One
// that decodes is moved into place at once, before a reinstall, which does
// not keep that extension, or the next save could overwrite it.
static LedgerReadResult TakeLeftTemporary(LedgerBook* book)
{
    LedgerFileResult why = LEDGER_FILE_OK;
    if (ReadLedgerFile(g_store.tempPath, book, &why) != LEDGER_READ_OK)
        return LEDGER_READ_NO_FILE;
    // Should the move fail, the book still holds the entries, and the next
    // save writes them to the ledger's own name as usual.
    MoveFileExA(g_store.tempPath, g_store.path, MOVEFILE_WRITE_THROUGH);
    return LEDGER_READ_OK;
}

LedgerReadResult LoadLedger(HWND owner, LedgerBook* book)
{
    LedgerFileResult why = LEDGER_FILE_OK;
    LedgerReadResult result =
        g_store.named ? ReadLedgerFile(g_store.path, book, &why) : LEDGER_READ_NO_FILE;
    if (result == LEDGER_READ_NO_FILE && g_store.named)
        result = TakeLeftTemporary(book);
    if (result == LEDGER_READ_UNREADABLE) {
        g_store.keepUnreadable = true;
        char text[kFormatScratch];
        wsprintfA(text, "The ledger file\r\n%s\r\n%s.\r\n\r\n" PRODUCT_NAME
                  " opens an empty ledger and leaves that file as it is.",
                  g_store.path, RefusalText(why));
        ShowProductMessage(owner, PRODUCT_NAME, text, MB_OK);
    }
    return result;
}

// The first free Ledger-N.dat beside the ledger: its name and its path;
// false when every number is taken or the path does not fit.
static bool FindAsideName(char (&name)[kAsideNameSize], char (&aside)[MAX_PATH])
{
    for (int number = 1; number <= LEDGER_ASIDE_LAST; number++) {
        wsprintfA(name, LEDGER_FILE_STEM "-%d" LEDGER_FILE_EXTENSION, number);
        if (!JoinPath(aside, sizeof aside, g_store.folder, name, false))
            return false;
        if (GetFileAttributesA(aside) == INVALID_FILE_ATTRIBUTES &&
            GetLastError() == ERROR_FILE_NOT_FOUND)
            return true;
    }
    return false;
}

// The file found at start is replaced only when the user says so; else
// the ledger lives in the window until Quorvel closes.
static bool MayReplaceUnreadable(HWND owner)
{
    char name[kAsideNameSize];
    char aside[MAX_PATH];
    // Without a name to keep the old file under, the save fails and says so.
    if (!g_store.keepUnreadable || g_store.replaceAgreed || !FindAsideName(name, aside))
        return true;
    char text[kFormatScratch];
    wsprintfA(text, "The ledger file\r\n%s\r\ncould not be read when " PRODUCT_NAME
              " started. Replace it with the ledger shown now?\r\n\r\n"
              "Yes keeps that file beside it as %s.\r\n"
              "No keeps working without saving and leaves that file as it is.",
              g_store.path, name);
    if (ShowProductMessage(owner, PRODUCT_NAME, text, MB_YESNO) != IDYES) {
        g_store.memoryOnly = true;
        return false;
    }
    g_store.replaceAgreed = true;
    return true;
}

// Renames the unreadable file to the first free Ledger-N.dat, never over
// another file, so that the save loses nothing the user had; true when
// nothing is left in the way.
static bool SetUnreadableAside()
{
    if (!g_store.keepUnreadable)
        return true;
    char name[kAsideNameSize];
    char aside[MAX_PATH];
    if (!g_store.replaceAgreed || !FindAsideName(name, aside))
        return false;
    // A file that went away meanwhile has nothing left to keep.
    if (!MoveFileExA(g_store.path, aside, MOVEFILE_WRITE_THROUGH) &&
        GetLastError() != ERROR_FILE_NOT_FOUND)
        return false;
    g_store.keepUnreadable = false;
    return true;
}

bool SaveLedger(HWND owner, const LedgerBook* book)
{
    if (g_store.memoryOnly || !MayReplaceUnreadable(owner))
        return false;
    if (g_store.named && SetUnreadableAside() &&
        WriteLedgerFile(g_store.path, g_store.tempPath, book))
        return true;
    if (!g_store.failureTold) {
        g_store.failureTold = true;
        char text[kFormatScratch];
        wsprintfA(text, PRODUCT_NAME " cannot save the ledger in the folder\r\n%s\r\n\r\n"
                  "The entries stay in this window and " PRODUCT_NAME " tries again with "
                  "each change, but what is not saved is lost when " PRODUCT_NAME " closes.",
                  g_store.folder);
        ShowProductMessage(owner, PRODUCT_NAME, text, MB_OK);
    }
    return false;
}
