#include "run_log.h"

#include <stdarg.h>

#include "file_names.h"

namespace {

// NULL while no log is open: zeroed at start, so the programs carry no
// initialised data for it.
HANDLE s_log;

void WriteLine(const char* text, int length)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    int stampLength = wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear,
                                now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                                now.wMilliseconds);
    DWORD written;
    WriteFile(s_log, stamp, (DWORD)stampLength, &written, NULL);
    WriteFile(s_log, text, (DWORD)length, &written, NULL);
    WriteFile(s_log, "\r\n", 2, &written, NULL);
}

}  // namespace

bool OpenRunLog(const char* path)
{
    CloseRunLog();
    if (!RemoveFileName(path)) {
        return false;
    }
    // Without delete access, so that a viewer can read it as it grows.
    HANDLE log = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE) {
        return false;
    }
    s_log = log;
    return true;
}

void CloseRunLog()
{
    if (s_log != NULL) {
        CloseHandle(s_log);
        s_log = NULL;
    }
}

bool RunLogOpen()
{
    return s_log != NULL;
}

void LogLine(const char* format, ...)
{
    if (s_log == NULL) {
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
    WriteLine(text, length < 0 ? 0 : length < kLogLineSize ? length : kLogLineSize - 1);
}

void LogError(const char* what, DWORD error)
{
    if (s_log == NULL) {
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
