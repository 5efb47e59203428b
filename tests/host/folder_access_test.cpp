// The access list the setup gives its folders, read from its text as the
// system would: protected, full control for SYSTEM and Administrators
// only, nothing that lets a user change the folder or what is in it.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <map>
#include <regex>
#include <string>

#include "folder_access.h"

namespace {

TEST(FolderAccess, OnlyTheSystemAndAdministratorsMayChangeTheFolder)
{
    const std::string list = PROTECTED_FOLDER_SDDL;
    // "D:<flags>" then entries "(type;inheritance;rights;;;who)".
    std::smatch head;
    ASSERT_TRUE(std::regex_search(list, head, std::regex("^D:([A-Z]*)\\(")));
    EXPECT_NE(head[1].str().find('P'), std::string::npos) << "nothing inherited from above";
    std::regex entry("\\(([A-Z]+);([A-Z]*);([A-Z]+|0x[0-9a-fA-F]+);;;([A-Z]+)\\)");
    std::map<std::string, unsigned long> allowed;
    size_t covered = head.length(0) - 1;
    for (std::sregex_iterator it(list.begin(), list.end(), entry), end; it != end; ++it) {
        const std::smatch& ace = *it;
        SCOPED_TRACE(ace.str());
        EXPECT_EQ(ace[1].str(), "A");
        EXPECT_EQ(ace[2].str(), "OICI") << "passed on to every file and subfolder";
        EXPECT_EQ(allowed.count(ace[4].str()), 0u) << "named twice";
        allowed[ace[4].str()] = ace[3] == "FA" ? 0x1F01FF : strtoul(ace[3].str().c_str(), NULL, 16);
        covered += ace.length(0);
    }
    EXPECT_EQ(covered, list.size()) << "an entry of another form";
    ASSERT_EQ(allowed.size(), 3u) << "no one else: not Everyone, not Authenticated Users";
    EXPECT_EQ(allowed["SY"], 0x1F01FFu);
    EXPECT_EQ(allowed["BA"], 0x1F01FFu);
    // No writing, appending, attribute or list changes, deletion or
    // ownership for Users; generic write and all neither.
    EXPECT_EQ(allowed["BU"] & 0x500D0156ul, 0u);
    EXPECT_NE(allowed["BU"] & 0x20, 0u) << "Users still run what is installed";
}

}  // namespace
