// Tests run with the build folder as working directory, so the setup
// program's resources are at hand.
#include <gtest/gtest.h>

#include "common_controls.h"
#include "test_support.h"

// GoogleTest starts a thread of its own at a thread's first check, to
// watch for its end. A short test's process could end while that thread
// was still starting, and Wine, stopping it before it had its thread
// block, died of SIGSEGV in its own signal handler after "PASSED". The
// thread is started before the tests, and they wait until it has run.
namespace {

HANDLE g_threadAttached;

void NTAPI NoteThreadAttached(PVOID, DWORD reason, PVOID)
{
    if (reason == DLL_THREAD_ATTACH && g_threadAttached != NULL)
        SetEvent(g_threadAttached);
}

}  // namespace

// Called by the loader in each new thread once it is set up.
extern "C" __attribute__((section(".CRT$XLY"), used))
const PIMAGE_TLS_CALLBACK g_noteThreadAttached = NoteThreadAttached;

static void StartTheWatcherThread()
{
    g_threadAttached = CreateEventA(NULL, TRUE, FALSE, NULL);
    {
        SCOPED_TRACE("started before the tests");
    }
    if (WaitForSingleObject(g_threadAttached, 10000) != WAIT_OBJECT_0)
        fprintf(stderr, "GoogleTest's watcher thread did not start\n");
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    StartTheWatcherThread();
    if (SetupModule() == NULL) {
        fprintf(stderr, "Vantor.exe not found in the working directory\n");
        return 1;
    }
    // As the setup's start does; the state it leaves is the one to compare with.
    StartSetupRecord();
    RememberInitialState();
    ResetInstallState();
    // As the setup's start does: the shortcut dialog needs the progress bar.
    InitCommonControlsLibrary();
    return RUN_ALL_TESTS();
}
