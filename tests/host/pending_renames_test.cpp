// The list of renames pending for the next start: which pairs a reinstall
// drops, and that everything else stays exactly as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pending_renames.h"

namespace {

const char kTarget[] = "C:\\Brindlemoor\\Quorvel\\Quorvel.exe";

std::vector<uint16_t> Units(const std::string& text)
{
    // "|" stands for a NUL in the tables.
    std::vector<uint16_t> units;
    for (char c : text) {
        units.push_back(c == '|' ? 0 : (uint16_t)(unsigned char)c);
    }
    return units;
}

std::string Text(const std::vector<uint16_t>& units, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += units[i] == 0 ? '|' : (char)units[i];
    }
    return text;
}

const char kNamed[] = "named";

struct Case {
    const char* name;
    std::string list;
    int dropped;        // -1: not a list, left alone
    std::string after;  // the list afterwards; kNamed: it does not parse and names the target
    size_t pairsLeft;
    size_t cutBytes;    // bytes left off the end of the list
};

TEST(PendingRenames, DropsOnlyTheTargetsDeletions)
{
    const std::string del = "\\??\\C:\\Brindlemoor\\Quorvel\\Quorvel.exe||";
    const std::string other = "\\??\\C:\\Other\\file.txt||";
    const std::string rename = "\\??\\C:\\Brindlemoor\\Quorvel\\Quorvel.exe|!\\??\\C:\\New.exe|";
    const Case cases[] = {
        {"one pair", del + "|", 1, "|", 0, 0},
        {"an odd number of bytes", del + "|", -1, kNamed, 0, 1},
        {"several", other + del + rename + del + other + "|", 2, other + rename + other + "|", 3, 0},
        {"a rename is kept", rename + "|", 0, rename + "|", 1, 0},
        {"letter case and the replace mark",
         "!\\??\\c:\\BRINDLEMOOR\\quorvel\\QUORVEL.EXE||" + other + "|", 1, other + "|", 1, 0},
        {"without the native prefix", "C:\\Brindlemoor\\Quorvel\\Quorvel.exe||", 1, "", 0, 0},
        {"a longer or shorter name is another file",
         "\\??\\C:\\Brindlemoor\\Quorvel\\Quorvel.exe2||\\??\\C:\\Brindlemoor\\Quorvel\\Quorvel.ex||",
         0, "\\??\\C:\\Brindlemoor\\Quorvel\\Quorvel.exe2||\\??\\C:\\Brindlemoor\\Quorvel\\Quorvel.ex||",
         2, 0},
        {"no final NUL", other + del, 1, other, 1, 0},
        {"several final NULs", del + "|||", 1, "|||", 0, 0},
        {"empty", "", 0, "", 0, 0},
        {"a name without its new name", other + "\\??\\C:\\x|", -1, "", 0, 0},
        {"a new name without its terminator", del + "\\??\\C:\\x||\\??\\C:\\y", -1, kNamed, 0, 0},
        {"text after the end; the target a new name", "C:\\x|!" + std::string(kTarget) + "||junk",
         -1, kNamed, 0, 0},
    };
    std::vector<uint16_t> target = Units(kTarget);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint16_t> list = Units(c.list);
        list.push_back(0xBEEF);  // beyond the list: never read or written
        size_t bytes = (list.size() - 1) * 2 - c.cutBytes;
        size_t pairsLeft = 99;
        int dropped = DropPendingDeletions(list.data(), &bytes, target.data(), target.size(),
                                           FoldAsciiCase, &pairsLeft);
        EXPECT_EQ(dropped, c.dropped);
        EXPECT_EQ(list.back(), 0xBEEF);
        if (c.dropped < 0) {
            EXPECT_EQ(Text(list, list.size() - 1), c.list) << "changed although not a list";
            EXPECT_EQ(bytes, (list.size() - 1) * 2 - c.cutBytes);
            EXPECT_EQ(c.after == kNamed, MentionsTarget(list.data(), bytes, target.data(),
                                                        target.size(), FoldAsciiCase));
            continue;
        }
        EXPECT_EQ(Text(list, bytes / 2), c.after);
        EXPECT_EQ(pairsLeft, c.pairsLeft);
    }
}

}  // namespace
