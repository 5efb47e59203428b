// The sample package manager manifest must name the switches and the exit
// codes the setup itself lists, so that the two cannot drift apart.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "command_line.h"

namespace {

std::string ReadManifest()
{
    std::ifstream in(VANTOR_SOURCE_DIR "/packaging/winget/Brindlemoor.Quorvel.installer.yaml");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// "Key: value" lines, blanks around both trimmed; the first of each key.
std::map<std::string, std::string> Fields(const std::string& text)
{
    std::map<std::string, std::string> fields;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        size_t start = line.find_first_not_of(" -");
        size_t colon = line.find(": ");
        if (start == std::string::npos || colon == std::string::npos || line[start] == '#') {
            continue;
        }
        std::string value = line.substr(colon + 2);
        value.erase(value.find_last_not_of(" \r") + 1);
        fields.emplace(line.substr(start, colon - start), value);
    }
    return fields;
}

// The switch's name as the setup's table gives it, up to its "=".
bool InSwitchTable(const std::string& value)
{
    std::string name = value.substr(0, value.find('=') + (value.find('=') != std::string::npos));
    for (int i = 0; i < kSwitchCount; ++i) {
        std::string listed = kSwitchTable[i].name;
        if (listed.substr(0, listed.find('=') + (listed.find('=') != std::string::npos)) == name) {
            return true;
        }
    }
    return false;
}

TEST(WingetManifest, SwitchesAreTheSetupsOwn)
{
    std::map<std::string, std::string> fields = Fields(ReadManifest());
    ASSERT_FALSE(fields.empty());
    EXPECT_EQ(fields["InstallerType"], "exe");
    EXPECT_EQ(fields["Silent"], "/S");
    EXPECT_EQ(fields["SilentWithProgress"], "/PASSIVE");
    EXPECT_EQ(fields["InstallLocation"], "/DIR=\"<INSTALLPATH>\"");
    EXPECT_EQ(fields["Log"], "/LOG=\"<LOGPATH>\"");
    for (const char* key : {"Silent", "SilentWithProgress", "InstallLocation", "Log"}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(InSwitchTable(fields[key]));
    }
    // As the setup writes its uninstall entry.
    EXPECT_EQ(fields["DisplayName"], "Quorvel");
    EXPECT_EQ(fields["Publisher"], "Brindlemoor");
    EXPECT_EQ(fields["DisplayVersion"], "v3.02");
}

TEST(WingetManifest, ReturnCodesAreEveryFailureCodeOfTheSetup)
{
    std::set<int> listed;
    std::istringstream lines(ReadManifest());
    std::string line;
    while (std::getline(lines, line)) {
        size_t at = line.find("InstallerReturnCode: ");
        if (at != std::string::npos) {
            listed.insert(std::stoi(line.substr(at + 21)));
        }
    }
    // 0 is success and 1 a failure the package manager reports as such;
    // every code that says more must be named.
    std::set<int> expected;
    for (int i = 0; i < kExitCount; ++i) {
        if (kExitTable[i].code > kExitFailed) {
            expected.insert(kExitTable[i].code);
        }
    }
    EXPECT_EQ(listed, expected);
}

}  // namespace
