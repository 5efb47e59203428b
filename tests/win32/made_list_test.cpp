// A failed pass, then what an unattended run does about it: the files and
// folders this run made go again, the files it replaced are named, and the
// log says which file failed and why.
#include <gtest/gtest.h>

#include <string.h>

#include "install_pass.h"
#include "made_list.h"
#include "pass_fixture.h"
#include "run_log.h"

namespace {

using MadeList = PassFixture;

TEST_F(MadeList, AFailedRunTakesAwayWhatItMadeAndNamesWhatItReplaced)
{
    UndoMade();  // forget earlier cases: their folders are gone
    std::string log = root_ + "\\run.log";
    std::string made = root_ + "\\Made";
    std::string uninstaller = windows_ + "\\" + g_setup.manifest.files[0].targetName;
    std::string first = made + "\\Deeper\\" + g_setup.manifest.files[1].targetName;
    ASSERT_TRUE(WriteWholeFile(uninstaller, "older"));
    SetDestination(made + "\\Deeper");
    // The fourth file cannot be made, after three were written.
    strcpy(g_setup.manifest.files[3].targetName, "bad|name.txt");
    Limit(4);
    ASSERT_TRUE(OpenRunLog(log.c_str()));
    BoxAnswerer boxes(IDOK);
    ASSERT_EQ(InstallFiles(page_), -1);
    EXPECT_TRUE(Exists(first));
    UndoMade();
    CloseRunLog();

    EXPECT_FALSE(Exists(first));
    EXPECT_FALSE(Exists(made)) << "the folders it made, deepest first";
    EXPECT_TRUE(Exists(uninstaller)) << "what it replaced cannot be given back";
    std::string text;
    ASSERT_TRUE(ReadWholeFile(log, &text));
    for (const std::string& line :
         {"The installation failed at " + made + "\\Deeper\\bad|name.txt: error 123: ",
          "Removed " + first + "\r\n", "Removed " + made + "\r\n",
          "Replaced, not given back: " + uninstaller + "\r\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    }
}

}  // namespace
