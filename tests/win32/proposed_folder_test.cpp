// The default base folder a description gives: a fixed path as it stands,
// or folders under the machine's 32-bit Program Files folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "location_page.h"
#include "path_helpers.h"
#include "product_identity.h"

namespace {

// The Program Files folder as the shell names it to this 32-bit program.
std::string ProgramFiles()
{
    char path[MAX_PATH] = "";
    LPITEMIDLIST folder = NULL;
    if (SUCCEEDED(SHGetSpecialFolderLocation(NULL, CSIDL_PROGRAM_FILES, &folder)) && folder != NULL) {
        SHGetPathFromIDListA(folder, path);
        ILFree(folder);
    }
    NormaliseFolderCase(path);
    return path;
}

TEST(ResolveBaseFolder, TakesAFixedPathAsItStandsAndProgramFilesFromTheShell)
{
    ASSERT_NE(ProgramFiles(), "");
    char out[kFolderSlotSize];
    struct Case {
        std::string base, expected;
    };
    const Case cases[] = {
        {"C:\\Brindlemoor", "C:\\Brindlemoor"},
        {PROGRAM_FILES_FOLDER_TOKEN "\\Ashcombe Labs", ProgramFiles() + "\\Ashcombe Labs"},
        {PROGRAM_FILES_FOLDER_TOKEN "\\Ashcombe Labs\\Tools", ProgramFiles() + "\\Ashcombe Labs\\Tools"},
        {PROGRAM_FILES_FOLDER_TOKEN, ProgramFiles()},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(ResolveBaseFolder(out, c.base.c_str())) << c.base;
        EXPECT_EQ(std::string(out), c.expected);
    }
    // What would not fit a folder slot is refused, never cut.
    std::string tooLong = PROGRAM_FILES_FOLDER_TOKEN "\\" + std::string(kFolderSlotSize - 4, 'a');
    EXPECT_FALSE(ResolveBaseFolder(out, tooLong.c_str()));
    EXPECT_STREQ(out, "");
}

}  // namespace
