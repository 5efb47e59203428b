// The access list the setup gives its folders, read from its text as the
// system would: protected, full control for SYSTEM and Administrators
// only, and nothing that lets a user change the folder or what is in it.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <map>
#include <string>
#include <vector>

#include "folder_access.h"

namespace {

// Access rights as the list's text may name them.
const unsigned long kFileAll = 0x1F01FF;
const unsigned long kWriteRights = 0x0002      // write data, add file
                                   | 0x0004    // append data, add subfolder
                                   | 0x0010    // write extended attributes
                                   | 0x0040    // delete children
                                   | 0x0100    // write attributes
                                   | 0x10000   // delete
                                   | 0x40000   // change the list
                                   | 0x80000   // take ownership
                                   | 0x40000000 | 0x10000000;  // generic write, all

struct Ace {
    std::string type, flags, rights, sid;
};

// "D:<flags>(<ace>)(<ace>)...", each ace "type;flags;rights;object;inherited object;sid".
bool ParseList(const std::string& text, std::string* flags, std::vector<Ace>* aces)
{
    if (text.compare(0, 2, "D:") != 0) {
        return false;
    }
    size_t open = text.find('(');
    *flags = text.substr(2, open - 2);
    while (open != std::string::npos) {
        size_t close = text.find(')', open);
        if (close == std::string::npos) {
            return false;
        }
        std::vector<std::string> fields(1);
        for (size_t i = open + 1; i < close; ++i) {
            if (text[i] == ';') {
                fields.emplace_back();
            } else {
                fields.back() += text[i];
            }
        }
        if (fields.size() != 6) {
            return false;
        }
        aces->push_back({fields[0], fields[1], fields[2], fields[5]});
        open = close + 1 < text.size() ? close + 1 : std::string::npos;
        if (open != std::string::npos && text[open] != '(') {
            return false;
        }
    }
    return true;
}

unsigned long Rights(const std::string& rights)
{
    if (rights == "FA") {
        return kFileAll;
    }
    EXPECT_EQ(rights.compare(0, 2, "0x"), 0) << "rights named otherwise: " << rights;
    return strtoul(rights.c_str(), NULL, 16);
}

TEST(FolderAccess, OnlyTheSystemAndAdministratorsMayChangeTheFolder)
{
    std::string flags;
    std::vector<Ace> aces;
    ASSERT_TRUE(ParseList(PROTECTED_FOLDER_SDDL, &flags, &aces));
    EXPECT_NE(flags.find('P'), std::string::npos) << "nothing may be inherited from above";
    std::map<std::string, unsigned long> allowed;
    for (const Ace& ace : aces) {
        SCOPED_TRACE(ace.sid);
        EXPECT_EQ(ace.type, "A");
        // Passed on to every file and subfolder, and none taken from above.
        EXPECT_EQ(ace.flags, "OICI");
        EXPECT_EQ(allowed.count(ace.sid), 0u) << "named twice";
        allowed[ace.sid] = Rights(ace.rights);
    }
    ASSERT_EQ(allowed.size(), 3u) << "no one else: not Everyone, not Authenticated Users";
    EXPECT_EQ(allowed["SY"], kFileAll);
    EXPECT_EQ(allowed["BA"], kFileAll);
    ASSERT_EQ(allowed.count("BU"), 1u);
    EXPECT_EQ(allowed["BU"] & kWriteRights, 0u);
    // Read data, attributes and extended attributes, list, traverse, synchronise.
    EXPECT_EQ(allowed["BU"], 0x1200A9u);
}

}  // namespace
