// One run of the driver: its log, its checks and verdict, and the setup
// process it starts, waits for and ends.
#include "e2e_driver.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>

#include "e2e_driver_internal.h"
#include "product_identity.h"

namespace {

enum {
    kLineSize = 2048,
};

struct DriverState {
    DWORD startTick;
    int failures;
    bool notAvailable;
    bool started;
    PROCESS_INFORMATION setup;
    char program[MAX_PATH];  // the setup to start; empty: the one beside the driver
    char folder[MAX_PATH];   // its current folder; empty: the program's own
};
DriverState g_driver;

void LogLine(const char* tag, const char* format, va_list args)
{
    char line[kLineSize];
    vsnprintf(line, sizeof line, format, args);
    line[sizeof line - 1] = '\0';
    printf("[%6lu ms] %s%s\n", (unsigned long)Elapsed(), tag, line);
    fflush(stdout);
}

}  // namespace

DWORD Elapsed()
{
    if (g_driver.startTick == 0) {  // the first log line starts the clock
        g_driver.startTick = GetTickCount();
    }
    return GetTickCount() - g_driver.startTick;
}

const char* Printable(const char* text)
{
    static char buffers[4][2048];
    static int next;
    char* shown = buffers[next++ % 4];
    size_t n = 0;
    for (const char* p = text; *p && n + 3 < sizeof buffers[0]; p++) {
        if (*p == '\r' || *p == '\n') {
            shown[n++] = '\\';
            shown[n++] = *p == '\r' ? 'r' : 'n';
        } else {
            shown[n++] = *p;
        }
    }
    shown[n] = '\0';
    return shown;
}

void Log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    LogLine("", format, args);
    va_end(args);
}

bool Check(bool ok, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    LogLine(ok ? "ok   " : "FAIL ", format, args);
    va_end(args);
    if (!ok) {
        g_driver.failures++;
    }
    return ok;
}

void Fail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    LogLine("FAIL ", format, args);
    va_end(args);
    g_driver.failures++;
}

void NotAvailable(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    LogLine("NOT AVAILABLE YET ", format, args);
    va_end(args);
    g_driver.notAvailable = true;
}

bool HasFailed()
{
    return g_driver.failures > 0;
}

int Outcome()
{
    if (g_driver.failures > 0) {
        Log("result: %d check(s) failed", g_driver.failures);
        return kExitFailed;
    }
    if (g_driver.notAvailable) {
        Log("result: skipped, a page it needs is not built yet");
        return kExitNotAvailable;
    }
    Log("result: passed");
    return kExitPassed;
}

void SetSetupProgram(const char* path)
{
    snprintf(g_driver.program, sizeof g_driver.program, "%s", path);
}

void SetSetupFolder(const char* folder)
{
    snprintf(g_driver.folder, sizeof g_driver.folder, "%s", folder);
}

bool SetupBesideDriver(char* path, size_t size)
{
    DWORD n = GetModuleFileNameA(NULL, path, (DWORD)size);
    char* slash = n > 0 && n < size ? strrchr(path, '\\') : NULL;
    if (slash == NULL || (size_t)(slash + 1 - path) + sizeof PRODUCT_OUTPUT_FILE > size) {
        return false;
    }
    strcpy(slash + 1, PRODUCT_OUTPUT_FILE);
    return true;
}

bool StartSetup(const char* arguments)
{
    char path[MAX_PATH];
    bool named = g_driver.program[0] != '\0'
                     ? (size_t)snprintf(path, sizeof path, "%s", g_driver.program) < sizeof path
                     : SetupBesideDriver(path, sizeof path);
    char* slash = named ? strrchr(path, '\\') : NULL;
    if (slash == NULL) {
        Fail("cannot tell the setup's path");
        return false;
    }
    static char command[kCommandLineSize];
    snprintf(command, sizeof command, "\"%s\"%s%s", path, arguments ? " " : "",
             arguments ? arguments : "");
    *slash = '\0';
    if (g_driver.started) {  // a second run in one scenario
        CloseHandle(g_driver.setup.hProcess);
        CloseHandle(g_driver.setup.hThread);
        g_driver.started = false;
        ForgetPages();
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    const char* current = g_driver.folder[0] != '\0' ? g_driver.folder : path;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, current, &startup,
                        &g_driver.setup)) {
        Fail("cannot start %s (error %lu)", command, GetLastError());
        return false;
    }
    g_driver.started = true;
    Log("started %s as process %lu", command, g_driver.setup.dwProcessId);
    return true;
}

DWORD SetupProcessId()
{
    return g_driver.started ? g_driver.setup.dwProcessId : 0;
}

bool SetupRunning()
{
    return g_driver.started && WaitForSingleObject(g_driver.setup.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD SetupExitCode()
{
    DWORD code = 0;
    if (g_driver.started) {
        GetExitCodeProcess(g_driver.setup.hProcess, &code);
    }
    return code;
}

bool ExpectSetupExit(DWORD timeout, DWORD expected)
{
    if (!g_driver.started) {
        return false;
    }
    if (WaitForSingleObject(g_driver.setup.hProcess, timeout) != WAIT_OBJECT_0) {
        Fail("the setup did not end within %lu ms", (unsigned long)timeout);
        LogSetupWindows();
        return false;
    }
    DWORD code = SetupExitCode();
    return Check(code == expected, "the setup ended with exit code %lu (expected %lu)",
                 (unsigned long)code, (unsigned long)expected);
}

void StopSetup()
{
    if (!SetupRunning()) {
        return;
    }
    Fail("the setup is still running at the end of the scenario; ending it");
    LogSetupWindows();
    // Notepad, if the read-me was opened, goes too.
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32 entry;
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more;
             more = Process32Next(snapshot, &entry)) {
            if (entry.th32ParentProcessID == g_driver.setup.dwProcessId) {
                HANDLE child = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
                if (child != NULL) {
                    TerminateProcess(child, 1);
                    CloseHandle(child);
                }
            }
        }
        CloseHandle(snapshot);
    }
    TerminateProcess(g_driver.setup.hProcess, 1);
    WaitForSingleObject(g_driver.setup.hProcess, kWaitLimit);
}
