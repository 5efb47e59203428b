#include "ledger_store.h"

#include "path_helpers.h"
#include "product_window.h"

enum {
    kFormatScratch = 1025,  // wsprintfA never writes more than 1024 bytes
};

static struct {
    char folder[MAX_PATH];
    char path[MAX_PATH];
    char tempPath[MAX_PATH];
    bool named;            // path and tempPath fitted
    bool keepUnreadable;   // the file found at start could not be read
    bool memoryOnly;       // the user chose not to replace that file
    bool failureTold;
} g_store;

LedgerReadResult ReadLedgerFile(const char* path, LedgerBook* book, LedgerFileResult* why)
{
    book->count = 0;
    *why = LEDGER_FILE_OK;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? LEDGER_READ_NO_FILE : LEDGER_READ_UNREADABLE;
    }
    // One byte more than the largest ledger, so a longer file shows as one.
    unsigned char bytes[LEDGER_FILE_MAX_SIZE + 1];
    DWORD size = 0;
    DWORD got = 0;
    BOOL readable;
    do {
        readable = ReadFile(file, bytes + size, sizeof bytes - size, &got, NULL);
        size += readable ? got : 0;
    } while (readable && got > 0 && size < sizeof bytes);
    CloseHandle(file);
    if (!readable)
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
        return "is not a " QUORVEL_NAME " ledger";
    case LEDGER_FILE_OTHER_VERSION:
        return "was written by another version of " QUORVEL_NAME;
    default:
        return "is damaged";
    }
}

LedgerReadResult LoadLedger(HWND owner, LedgerBook* book)
{
    LedgerFileResult why = LEDGER_FILE_OK;
    LedgerReadResult result =
        g_store.named ? ReadLedgerFile(g_store.path, book, &why) : LEDGER_READ_NO_FILE;
    if (result == LEDGER_READ_UNREADABLE) {
        g_store.keepUnreadable = true;
        char text[kFormatScratch];
        wsprintfA(text, "The ledger file\r\n%s\r\n%s.\r\n\r\n" QUORVEL_NAME
                  " opens an empty ledger and leaves that file as it is.",
                  g_store.path, RefusalText(why));
        ShowProductMessage(owner, QUORVEL_NAME, text, MB_OK);
    }
    return result;
}

// The file found at start is replaced only when the user says so; else
// the ledger lives in the window until Quorvel closes.
static bool MayReplaceUnreadable(HWND owner)
{
    if (!g_store.keepUnreadable)
        return true;
    char text[kFormatScratch];
    wsprintfA(text, "The ledger file\r\n%s\r\ncould not be read when " QUORVEL_NAME
              " started. Replace it with the ledger shown now?\r\n\r\n"
              "No keeps working without saving and leaves that file as it is.",
              g_store.path);
    if (ShowProductMessage(owner, QUORVEL_NAME, text, MB_YESNO) != IDYES) {
        g_store.memoryOnly = true;
        return false;
    }
    g_store.keepUnreadable = false;
    return true;
}

bool SaveLedger(HWND owner, const LedgerBook* book)
{
    if (g_store.memoryOnly || !MayReplaceUnreadable(owner))
        return false;
    if (g_store.named && WriteLedgerFile(g_store.path, g_store.tempPath, book))
        return true;
    if (!g_store.failureTold) {
        g_store.failureTold = true;
        char text[kFormatScratch];
        wsprintfA(text, QUORVEL_NAME " cannot save the ledger in the folder\r\n%s\r\n\r\n"
                  "The entries stay in this window and " QUORVEL_NAME " tries again with "
                  "each change, but what is not saved is lost when " QUORVEL_NAME " closes.",
                  g_store.folder);
        ShowProductMessage(owner, QUORVEL_NAME, text, MB_OK);
    }
    return false;
}
