// The sample package manager manifest must name the switches and the exit
// codes the setup itself lists, so that the two cannot drift apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

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

// The first word of each line of /?'s list, up to its tab: the switches,
// then the exit codes.
std::vector<std::string> HelpWords()
{
    std::vector<std::string> words;
    std::istringstream lines(SETUP_HELP_TEXT);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find('\t') != std::string::npos) {
            words.push_back(line.substr(0, line.find('\t')));
        }
    }
    return words;
}

// A switch's name, up to and with its "=" if it has one.
std::string SwitchName(const std::string& text)
{
    size_t equals = text.find('=');
    return equals == std::string::npos ? text : text.substr(0, equals + 1);
}

TEST(WingetManifest, TheHelpTextListsEverySwitchAndEveryExitCode)
{
    std::vector<std::string> expected = {"/S",        "/PASSIVE", "/DIR=folder",
                                         "/GROUP=name", "/LOG=file", "/?",
                                         "/VERYSILENT /QUIET /QN", "/SILENT /QB",
                                         "/NORESTART /SUPPRESSMSGBOXES"};
    for (int code : {kExitInstalled, kExitFailed, kExitRefused, kExitInUse, kExitNoSpace,
                     kExitRunning}) {
        expected.push_back(std::to_string(code));
    }
    EXPECT_EQ(HelpWords(), expected);
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
        std::vector<std::string> words = HelpWords();
        EXPECT_TRUE(std::any_of(words.begin(), words.end(), [&](const std::string& word) {
            return SwitchName(word) == SwitchName(fields[key]);
        }));
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
    for (const std::string& word : HelpWords()) {
        if (word[0] != '/' && std::stoi(word) > kExitFailed) {
            expected.insert(std::stoi(word));
        }
    }
    EXPECT_EQ(listed, expected);
}

}  // namespace
