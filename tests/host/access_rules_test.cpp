// Which folders that exist already may stand in the destination's path,
// from their owner and list as the system writes them out.
#include <gtest/gtest.h>

#include "access_rules.h"
#include "folder_access.h"

namespace {

#define WINE_USER "S-1-5-21-0-0-0-1000"
#define OTHER_USER "S-1-5-21-1-2-3-1001"
#define INSTALLER_SID "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
// What Wine reports for a folder of the host's mode 755, and with o+w.
#define WINE_FOLDER(everyone) \
    "O:" WINE_USER "D:(A;OICI;FA;;;SY)(A;OICI;FA;;;" WINE_USER ")(A;OICI;" everyone ";;;WD)"

struct Case {
    const char* descriptor;
    bool filesToo;
    bool kept;
    const char* why;
};

const Case kCases[] = {
    {"O:BA" PROTECTED_FOLDER_SDDL, true, true, "the list the setup gives its folders"},
    {"O:SY" PROTECTED_FOLDER_SDDL, true, true, "made by a setup run as SYSTEM"},
    {"O:" INSTALLER_SID "D:PAI(A;;FA;;;" INSTALLER_SID ")(A;CIIO;GA;;;" INSTALLER_SID
     ")(A;;0x1301bf;;;SY)(A;OICIIO;GA;;;SY)(A;;0x1301bf;;;BA)(A;OICIIO;GA;;;BA)"
     "(A;;0x1200a9;;;BU)(A;OICIIO;GXGR;;;BU)(A;OICIIO;GA;;;CO)(A;;0x1200a9;;;AC)",
     true, true, "Program Files"},
    {WINE_FOLDER("0x1200a9"), true, true, "Wine, mode 755, run by its one user"},
    {WINE_FOLDER("0x1301ff"), false, false, "Wine, o+w: Everyone may modify"},
    {"O:" OTHER_USER "D:AI(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)",
     false, false, "made by a standard user, who owns it"},
    {"O:BU" PROTECTED_FOLDER_SDDL, false, false, "owned by Users"},
    {"O:BAD:(A;;0x1200a9;;;BU)(A;;GRGX;;;AU)(A;;FR;;;WD)", true, true, "others only read"},
    {"O:BAD:(D;OICI;FA;;;WD)(A;;FA;;;BA)", true, true, "an entry that denies gives nothing"},
    {"O:BAD:(A;OICIIO;SDGXGWGR;;;AU)", false, true, "passed on only: not this folder's"},
    {"O:BAD:(A;OICIIO;SDGXGWGR;;;AU)", true, false, "passed on to the files made in it"},
    {"O:BAD:(A;CIIO;GA;;;AU)", true, true, "passed on to subfolders only"},
    {"O:BAD:", true, true, "an empty list lets nobody in"},
    {"O:BAD:NO_ACCESS_CONTROL", false, false, "no list lets everyone in"},
    {"O:BA", false, false, "no list at all"},
    {"O:BAD:(A;;0x1301bf;;;AU)", false, false, "Authenticated Users: modify"},
    {"O:BAD:(A;;0x4;;;AU)", false, false, "append: a subfolder"},
    {"O:BAD:(A;;0x2;;;BU)", false, false, "write: a file"},
    {"O:BAD:(A;;0x40;;;BU)", false, false, "delete a child"},
    {"O:BAD:(A;;SD;;;BU)", false, false, "delete"},
    {"O:BAD:(A;;WD;;;BU)", false, false, "change the list"},
    {"O:BAD:(A;;WO;;;BU)", false, false, "take ownership"},
    {"O:BAD:(A;;GW;;;BU)", false, false, "generic write"},
    {"O:BAD:(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;WD)", false, false, "every right by name"},
    {"O:BAD:(A;;ZZ;;;BU)", false, false, "an unknown right counts as all"},
    {"O:BAD:(OA;;WD;;;BU)", false, false, "an entry with an object type gives too"},
    {"O:BAD:(A;;FA;;;SY", false, false, "an entry not closed"},
    {"O:BAD:(A;;FA)", false, false, "an entry cut short"},
    {"O:BAD:(A;;FR;;;BU)junk", false, false, "something after the entries"},
    {"D:(A;;FA;;;SY)", false, false, "no owner"},
};

TEST(AccessRules, OnlyTrustedAccountsMayChangeAFolderOnTheWay)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(KeptFromUsers(c.descriptor, WINE_USER, c.filesToo), c.kept) << c.descriptor;
    }
    // Self is whoever runs the setup, as the system names it, not any account.
    EXPECT_FALSE(KeptFromUsers(WINE_FOLDER("0x1200a9"), OTHER_USER, false));
    EXPECT_TRUE(KeptFromUsers("O:LAD:P(A;;FA;;;LA)(A;;FA;;;SY)", "LA", false));
}

// The links for all users by default: only LocalSystem's own SID, not an
// administrator, a service account or a SID that merely starts alike.
TEST(AccessRules, LocalSystemIsKnownByItsSid)
{
    EXPECT_TRUE(IsLocalSystem("S-1-5-18"));
    for (const char* other : {WINE_USER, "S-1-5-19", "S-1-5-20", "S-1-5-180", "S-1-5-18-1",
                              "S-1-5-32-544", "SY", ""}) {
        EXPECT_FALSE(IsLocalSystem(other)) << other;
    }
    EXPECT_FALSE(IsLocalSystem(nullptr));
}

}  // namespace
