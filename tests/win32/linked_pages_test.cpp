// The folder and group pages refuse a folder reached through a link, with
// the links the linked-destination script makes on the host: in the folder
// named by VANTOR_LINKS, Linked leads to Real and Up to Above.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "group_page.h"
#include "location_page.h"
#include "page_harness.h"

using namespace page_harness;

namespace {

const char kLinkedPathText[] =
    "Path Invalid!\r\n\r\nThe path leads through a link, a junction or a file.";
const char kLinkedGroupText[] =
    "The group's folder may not be reached through a link or a junction.";

class LinkedPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        char top[MAX_PATH];
        if (GetEnvironmentVariableA("VANTOR_LINKS", top, sizeof top) == 0) {
            GTEST_SKIP() << "run by the linked-destination script only";
        }
        top_ = top;
        ResetInstallState();
        LendBackdropResources();
        ClearProductRegistry();
    }
    void TearDown() override
    {
        if (page_ != NULL) {
            DestroyWindow(page_);
        }
        ResetInstallState();
    }
    // Continue on a fresh page with the text typed; the boxes it showed.
    std::vector<Box> Continue(WORD dialog, DLGPROC proc, int edit, int button,
                              const std::string& typed)
    {
        if (page_ != NULL) {
            DestroyWindow(page_);
        }
        page_ = CreateDialogParamA(SetupModule(), MAKEINTRESOURCEA(dialog), NULL, proc, 0);
        SetDlgItemTextA(page_, edit, typed.c_str());
        BoxRecorder recorder;
        Click(page_, button);
        return recorder.boxes;
    }
    std::string top_;
    HWND page_ = NULL;
};

TEST_F(LinkedPages, TheFolderPageRefusesADestinationReachedThroughALink)
{
    const struct {
        const char* typed;
        bool refused;
    } cases[] = {
        {"\\Linked", true},          // the destination itself
        {"\\Linked\\Quorvel", true},  // a level above it, the rest not there yet
        {"\\Up\\Quorvel", true},
        {"\\Real\\Quorvel", false},  // the same place by its own path
    };
    for (const auto& c : cases) {
        std::string typed = top_ + c.typed;
        SCOPED_TRACE(typed);
        std::vector<Box> boxes = Continue(IDD_LOCATION, LocationPageProc, IDC_FOLDER_EDIT, IDOK, typed);
        if (c.refused) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, kLinkedPathText);
            EXPECT_EQ(boxes[0].icon, WarningIcon());
            EXPECT_TRUE(IsWindowVisible(page_)) << "the page stays open";
        } else {
            EXPECT_EQ(boxes.size(), 0u);
            EXPECT_STREQ(g_setup.state.destinationFolder, typed.c_str());
        }
    }
}

TEST_F(LinkedPages, TheGroupPageRefusesAGroupFolderThatIsALink)
{
    lstrcpyA(g_setup.state.programsFolder, top_.c_str());
    for (const char* group : {"Linked", "Up"}) {
        SCOPED_TRACE(group);
        std::vector<Box> boxes =
            Continue(IDD_GROUP, GroupPageProc, IDC_GROUP_LIST, IDC_GROUP_CONTINUE, group);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, kLinkedGroupText);
        EXPECT_EQ(boxes[0].icon, WarningIcon());
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page_, IDC_GROUP_CONTINUE)));
    }
}

}  // namespace
