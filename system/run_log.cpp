#include "run_log.h"

#include <stdarg.h>
#include <string.h>

#include "file_names.h"
#include "folder_access.h"
#include "folder_chain.h"

enum {
    kMostLogLevels = MAX_PATH / 2,  // "X:\a\b\..." has no more
    kAccountSize = 257,             // the longest user name, and its NUL
};

namespace {

// The log and the folders above it, held from the check to the close.
// Zeroed at start, so the programs carry no initialised data for it: file
// is NULL while no log is open.
struct RunLog {
    HANDLE file;
    HANDLE levels[kMostLogLevels];
    int levelCount;
};
RunLog s_log;

// Each folder of the full path above its file name, the drive's root
// aside, held open without delete sharing, so that none can be renamed or
// replaced while the log is written. Wine opens what a link leads to even
// when asked for the link itself, so the names, held in place now, must
// then pass the destination's link check too.
bool HoldFolders(char* path, char* name)
{
    for (char* end = strchr(path + 3, '\\'); end != NULL && end < name;
         end = strchr(end + 1, '\\')) {
        *end = '\0';
        HANDLE level = s_log.levelCount < kMostLogLevels ? OpenFileName(path, GENERIC_READ)
                                                          : INVALID_HANDLE_VALUE;
        *end = '\\';
        if (level == INVALID_HANDLE_VALUE) {
            return false;
        }
        s_log.levels[s_log.levelCount++] = level;
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(level, &info)) {
            return false;
        }
        if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
            FILE_ATTRIBUTE_DIRECTORY) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
    }
    // The root keeps its backslash: "C:" alone names a current folder.
    char* folderEnd = name - path == 3 ? name : name - 1;
    char kept = *folderEnd;
    *folderEnd = '\0';
    FolderChainState state = CheckFolderChain(path);
    *folderEnd = kept;
    if (state != kChainPlain) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

void WriteLine(const char* text, int length)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    int stampLength = wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear,
                                now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                                now.wMilliseconds);
    DWORD written;
    WriteFile(s_log.file, stamp, (DWORD)stampLength, &written, NULL);
    WriteFile(s_log.file, text, (DWORD)length, &written, NULL);
    WriteFile(s_log.file, "\r\n", 2, &written, NULL);
}

}  // namespace

bool OpenRunLog(const char* path)
{
    CloseRunLog();
    char full[MAX_PATH];
    char* name = NULL;
    DWORD length = GetFullPathNameA(path, sizeof full, full, &name);
    // Only a drive's path can be checked level by level.
    if (length == 0 || length >= sizeof full || name == NULL || full[1] != ':' ||
        full[2] != '\\') {
        SetLastError(length == 0 ? GetLastError() : ERROR_BAD_PATHNAME);
        return false;
    }
    HANDLE log = INVALID_HANDLE_VALUE;
    // An old log loses its name only through a handle shown to lead to the
    // very path. The new one is made without delete access, so that a
    // viewer can read it as it grows.
    if (HoldFolders(full, name) && RemoveFileName(full)) {
        log = CreateFileA(full, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, NULL);
    }
    if (log == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        CloseRunLog();
        SetLastError(error);
        return false;
    }
    s_log.file = log;
    return true;
}

void CloseRunLog()
{
    if (s_log.file != NULL) {
        CloseHandle(s_log.file);
        s_log.file = NULL;
    }
    while (s_log.levelCount > 0) {
        CloseHandle(s_log.levels[--s_log.levelCount]);
    }
}

bool RunLogOpen()
{
    return s_log.file != NULL;
}

void LogLine(const char* format, ...)
{
    if (s_log.file == NULL) {
        return;
    }
    // wvsprintfA writes at most 1024 bytes, not always with a terminator
    // when it cuts: the spare byte and the limit keep the line bounded.
    char text[kLogLineSize + 1];
    va_list arguments;
    va_start(arguments, format);
    int length = wvsprintfA(text, format, arguments);
    va_end(arguments);
    text[kLogLineSize] = '\0';
    length = length < 0 ? 0 : length < kLogLineSize ? length : kLogLineSize - 1;
    // One step, one line: a box's text or a value's data may break lines.
    for (int i = 0; i < length; i++) {
        if (text[i] == '\r' || text[i] == '\n') {
            text[i] = ' ';
        }
    }
    WriteLine(text, length);
}

void LogError(const char* what, DWORD error)
{
    if (s_log.file == NULL) {
        return;
    }
    char reason[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                                  error, 0, reason, sizeof reason, NULL);
    // The system's text ends its own line.
    while (length > 0 && (reason[length - 1] == '\r' || reason[length - 1] == '\n' ||
                          reason[length - 1] == ' ')) {
        --length;
    }
    reason[length] = '\0';
    LogLine("%s: error %lu: %s", what, (unsigned long)error, reason);
}

bool OpenTempRunLog(const char* product, const char* program)
{
    // Room for the temp folder, and wsprintfA's most after it.
    char path[MAX_PATH + kLogLineSize];
    DWORD length = GetTempPathA(MAX_PATH, path);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    wsprintfA(path + length, "%s %s %04u-%02u-%02u %02u%02u%02u.log", product, program, now.wYear,
              now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    return OpenRunLog(path);
}

void LogRunHeader()
{
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, program, sizeof program);
    program[length < sizeof program ? length : 0] = '\0';
    WIN32_FILE_ATTRIBUTE_DATA file;
    file.nFileSizeLow = 0;
    GetFileAttributesExA(program, GetFileExInfoStandard, &file);
    char account[kAccountSize] = "";
    DWORD size = sizeof account;
    GetUserNameA(account, &size);
    const char* rights = "not elevated";
    HANDLE token;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        TOKEN_ELEVATION elevation;
        if (GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
            elevation.TokenIsElevated) {
            rights = "elevated";
        }
        CloseHandle(token);
    }
    if (RunsAsLocalSystem()) {
        rights = "LocalSystem";
    }
    // The zone's name and its offset without daylight saving time: the
    // stamps of the lines are local time.
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    // Packed by the system: the low word's bytes are the major and minor
    // number, the high word the build (the manifest names Windows 10, so
    // it is not made older).
    DWORD windows = GetVersion();
    LogLine("Program %s, %lu bytes; Windows %u.%u.%u; account %s, %s; "
            "time zone %ls, UTC offset %ld min",
            program, (unsigned long)file.nFileSizeLow, LOBYTE(windows),
            HIBYTE(LOWORD(windows)), HIWORD(windows), account, rights, zone.StandardName,
            -zone.Bias);
    LogLine("Command line: %s", GetCommandLineA());
}

void LogAnswer(int answer, bool shown)
{
    // Eight bytes a word, from the system's IDOK (1) to IDNO (7).
    static const char kWords[] = "OK\0\0\0\0\0\0Cancel\0\0Abort\0\0\0Retry\0\0\0Ignore\0\0Yes\0\0\0\0\0No";
    LogLine(shown ? "Answer: %s" : "Answer without a window: %s",
            (unsigned)(answer - IDOK) < IDNO ? kWords + 8 * (answer - IDOK) : "none");
}
