// The setup and the uninstaller judge the program folder each on its own:
// whatever folder the setup installs into, the uninstaller must be willing
// to remove, or the product stays behind for good.
#include <gtest/gtest.h>

#include <string>

#include "location_rules.h"
// Both programs name their own group name limit alike; the uninstaller's
// gets another name here so that one test can hold both rules.
#define kGroupNameLimit kRemovalGroupNameLimit
#include "removal_rules.h"
#undef kGroupNameLimit

namespace {

const char kProduct[] = "Quorvel";

struct Judged {
    bool installs;
    bool removes;
    std::string destination;
};

Judged Judge(const std::string& typed)
{
    char destination[256];
    bool installs = MakeDestination(destination, sizeof destination, typed.c_str(), kProduct) ==
                    kLocationAccepted;
    bool removes = installs && IsRemovableProgramFolder(destination, "C:\\Windows",
                                                        "C:\\Windows\\System32");
    return {installs, removes, destination};
}

TEST(LocationAndRemoval, TrickyFoldersAreTakenByBothOrRefusedBySetup)
{
    struct Case {
        const char* typed;
        bool installs;
    };
    const Case cases[] = {
        {"C:\\Brindlemoor\\Quorvel", true},   {"c:\\quorvel stuff", true},
        {"C:\\Apps", true},                   {"C:\\Apps\\", true},
        {"C:\\Quorvel\\", true},              {"D:\\ Apps\\.Quorvel", true},
        {"C:\\Windows", true},                {"C:\\Windows\\System32\\", true},
        {"C:\\CON", false},                   {"z:\\a.b c\\Quorvel", true},
        {"C:\\Quorvel\\..\\Windows", false},  {"C:\\Quorvel\\..", false},
        {"C:\\Windows\\.\\Quorvel", false},   {"C:\\\\Quorvel", false},
        {"C:\\Apps\\\\Quorvel", false},       {"C:\\Quorvel\\\\", false},
        {"C:\\Apps/Quorvel", false},          {"C:\\Windows.", false},
        {"C:\\Windows\\System32.", false},    {"C:\\Windows \\Quorvel", false},
        {"C:\\Windows\\\\", false},           {"C:\\Apps:Quorvel", false},
        {"1:\\Quorvel", false},               {"\\\\?\\C:\\Quorvel", false},
        {"C:Quorvel", false},                 {"C:\\", false},
    };
    for (const Case& c : cases) {
        Judged judged = Judge(c.typed);
        EXPECT_EQ(judged.installs, c.installs) << c.typed;
        if (judged.installs) {
            EXPECT_TRUE(judged.removes) << c.typed << " installs into " << judged.destination
                                        << ", which the uninstaller would refuse";
        }
    }
    // The Windows folder itself is never the destination: the name is added.
    EXPECT_EQ(Judge("C:\\Windows").destination, "C:\\Windows\\Quorvel");
}

}  // namespace
