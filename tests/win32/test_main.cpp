// Tests run with the build folder as working directory, so the setup
// program's resources are at hand.
#include <gtest/gtest.h>

#include "common_controls.h"
#include "test_support.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
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
