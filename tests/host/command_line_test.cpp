// The setup's command line: switches in any case and order, values with
// blanks in quotes, and every refusal, whatever the length of what is given.
#include <gtest/gtest.h>

#include <string>

#include "command_line.h"

namespace {

struct Parsed {
    CommandVerdict verdict;
    SetupCommand command;
    std::string argument;
};

Parsed Parse(const std::string& arguments)
{
    Parsed parsed;
    char argument[kArgumentTextSize];
    parsed.verdict = ParseSetupCommand(arguments.c_str(), &parsed.command, argument);
    parsed.argument = argument;
    return parsed;
}

TEST(CommandLine, TakesSwitchesInAnyCaseAndOrderWithQuotedValues)
{
    const struct {
        const char* arguments;
        RunMode mode;
        const char* folder;  // null: not given
        const char* group;
        const char* log;
    } cases[] = {
        {"", kInteractive, nullptr, nullptr, nullptr},
        {" \t ", kInteractive, nullptr, nullptr, nullptr},
        {"/S", kSilent, nullptr, nullptr, nullptr},
        {"/s", kSilent, nullptr, nullptr, nullptr},
        {"/Passive", kPassive, nullptr, nullptr, nullptr},
        {"/LOG=C:\\setup.log", kInteractive, nullptr, nullptr, "C:\\setup.log"},
        {"/log /S", kSilent, nullptr, nullptr, ""},
        // Other setup systems' switches, and those taken and ignored.
        {"/VERYSILENT", kSilent, nullptr, nullptr, nullptr},
        {"/quiet /norestart", kSilent, nullptr, nullptr, nullptr},
        {"/SuppressMsgBoxes /qn /NORESTART", kSilent, nullptr, nullptr, nullptr},
        {"/SILENT", kPassive, nullptr, nullptr, nullptr},
        {"/qb", kPassive, nullptr, nullptr, nullptr},
        {"/NORESTART", kInteractive, nullptr, nullptr, nullptr},
        {"/group=\"My Tools\" /dir=\"C:\\My Apps\" /S", kSilent, "C:\\My Apps", "My Tools", nullptr},
        {"\"/DIR=C:\\My Apps\\\"\t/passive", kPassive, "C:\\My Apps\\", nullptr, nullptr},
        {"/Dir=C:\\A\"pps\" /Log=\"C:\\a b\\x.log\"", kInteractive, "C:\\Apps", nullptr,
         "C:\\a b\\x.log"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        Parsed p = Parse(c.arguments);
        ASSERT_EQ(p.verdict, kCommandAccepted) << p.argument;
        EXPECT_EQ(p.command.mode, c.mode);
        EXPECT_FALSE(p.command.help || p.command.allUsers || p.command.allowDowngrade);
        EXPECT_EQ(p.command.hasFolder, c.folder != nullptr);
        EXPECT_EQ(p.command.hasGroup, c.group != nullptr);
        EXPECT_EQ(p.command.hasLog, c.log != nullptr);
        EXPECT_STREQ(p.command.folder, c.folder ? c.folder : "");
        EXPECT_STREQ(p.command.group, c.group ? c.group : "");
        EXPECT_STREQ(p.command.log, c.log ? c.log : "");
    }
    EXPECT_TRUE(Parse("/?").command.help);
    Parsed flags = Parse("/AllUsers /S /allowdowngrade");
    EXPECT_TRUE(flags.command.allUsers && flags.command.allowDowngrade);
}

TEST(CommandLine, RefusesWhatItCannotTakeAndNamesTheArgument)
{
    const struct {
        const char* arguments;
        CommandVerdict verdict;
        const char* argument;
    } cases[] = {
        {"/X", kCommandUnknown, "/X"},
        {"/S=1", kCommandUnknown, "/S=1"},
        {"/DIRECTORY=C:\\Apps", kCommandUnknown, "/DIRECTORY=C:\\Apps"},
        {"/DIR C:\\Apps", kCommandUnknown, "/DIR"},
        {"C:\\Apps", kCommandUnknown, "C:\\Apps"},
        {"-S", kCommandUnknown, "-S"},
        {"/S /S", kCommandRepeated, "/S"},
        {"/S /PASSIVE", kCommandRepeated, "/PASSIVE"},
        {"/S /VERYSILENT", kCommandRepeated, "/VERYSILENT"},
        {"/qn /QB", kCommandRepeated, "/QB"},
        {"/LOG /log=C:\\a.log", kCommandRepeated, "/log=C:\\a.log"},
        {"/LOG=C:\\a.log /LOG", kCommandRepeated, "/LOG"},
        {"/LOGS", kCommandUnknown, "/LOGS"},
        {"/QR", kCommandUnknown, "/QR"},
        {"/? /?", kCommandRepeated, "/?"},
        {"/ALLUSERS /S /allusers", kCommandRepeated, "/allusers"},
        {"/ALLUSER", kCommandUnknown, "/ALLUSER"},
        {"/ALLOWDOWNGRADE=1", kCommandUnknown, "/ALLOWDOWNGRADE=1"},
        {"/DIR=C:\\A /dir=C:\\B", kCommandRepeated, "/dir=C:\\B"},
        {"/DIR=", kCommandEmptyValue, "/DIR="},
        {"/GROUP=\"\"", kCommandEmptyValue, "/GROUP="},
        {"/S /LOG=", kCommandEmptyValue, "/LOG="},
        {"/DIR=\"C:\\My Apps", kCommandOpenQuote, "/DIR=\"C:\\My Apps"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        Parsed p = Parse(c.arguments);
        EXPECT_EQ(p.verdict, c.verdict);
        EXPECT_EQ(p.argument, c.argument);
    }
}

TEST(CommandLine, ValuesUpToTheirFieldAndNoFurther)
{
    for (const char* name : {"/DIR=", "/GROUP=", "/LOG="}) {
        SCOPED_TRACE(name);
        std::string fits = std::string(name) + std::string(259, 'a');
        Parsed p = Parse(fits);
        ASSERT_EQ(p.verdict, kCommandAccepted);
        EXPECT_EQ(strlen(p.command.folder) + strlen(p.command.group) + strlen(p.command.log), 259u);
        EXPECT_EQ(Parse(fits + "a").verdict, kCommandTooLong);
    }
    // However long, the refusal quotes a bounded piece of it.
    std::string huge = "/DIR=\"" + std::string(100000, 'b') + "\"";
    Parsed p = Parse(huge);
    EXPECT_EQ(p.verdict, kCommandTooLong);
    EXPECT_EQ(p.argument.size(), kArgumentTextSize - 1u);
    EXPECT_EQ(p.argument.substr(p.argument.size() - 3), "...");
    EXPECT_EQ(Parse(std::string(100000, 'x')).verdict, kCommandUnknown);
}

// A refusal is silent with an unattended mode anywhere, and goes to the
// first /LOG= anywhere: as the setup's parse reads them on past the first
// argument refused, and as the removal looks for them.
TEST(CommandLine, ARefusalFindsTheModeAndTheLogAnywhere)
{
    const struct {
        const char* arguments;
        bool unattended;
        const char* log;
    } cases[] = {
        {"/X /S", true, ""},
        {"/passive /X", true, ""},
        {"\"/S\" /DIR=", true, ""},
        {"/X", false, ""},
        {"/DIR=/S", false, ""},
        {"/DIR=\"C:\\a /S\"", false, ""},
        {"/X /SILENT", true, ""},
        {"/qn /Y", true, ""},
        {"/NORESTART /X", false, ""},
        {"", false, ""},
        {"/X /s /log=\"C:\\a b.log\" /LOG=C:\\b.log", true, "C:\\a b.log"},
        {"/LOGS=C:\\a /DIR=/LOG=C:\\a /LOG=", false, ""},
        {"/LOG=\"C:\\open /S", false, ""},
    };
    char log[kLogValueSize];
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(AsksUnattended(c.arguments), c.unattended);
        EXPECT_EQ(FindLog(c.arguments, log, sizeof log), c.log[0] != '\0');
        EXPECT_STREQ(log, c.log);
        Parsed p = Parse(c.arguments);
        EXPECT_EQ(p.command.mode != kInteractive, c.unattended);
        EXPECT_EQ(p.command.hasLog, c.log[0] != '\0');
        EXPECT_STREQ(p.command.log, c.log);
    }
    // The refusal stays the first one; a good /LOG= after an empty one
    // still takes the setup's refusal, where the removal looks no further.
    Parsed p = Parse("/LOG= /X /LOG=C:\\b");
    EXPECT_EQ(p.verdict, kCommandEmptyValue);
    EXPECT_EQ(p.argument, "/LOG=");
    EXPECT_STREQ(p.command.log, "C:\\b");
    EXPECT_FALSE(FindLog("/LOG= /X /LOG=C:\\b", log, sizeof log));
    // A bare /LOG asks for the temp folder's log, wherever it stands.
    EXPECT_TRUE(FindLog("/X /Log /LOG=C:\\b.log", log, sizeof log));
    EXPECT_STREQ(log, "");
    // A huge argument is read to its end, bounded; a log must fit.
    EXPECT_TRUE(AsksUnattended((std::string(100000, 'x') + " /s").c_str()));
    const std::string longest = "/LOG=" + std::string(kLogValueSize - 1, 'l');
    EXPECT_TRUE(FindLog(longest.c_str(), log, sizeof log));
    EXPECT_FALSE(FindLog((longest + "l").c_str(), log, sizeof log));
}

TEST(CommandLine, SkipsTheProgramsOwnNameQuotedOrNot)
{
    EXPECT_STREQ(SkipProgramName("\"C:\\My Downloads\\Vantor.exe\"  /S"), "/S");
    EXPECT_STREQ(SkipProgramName("Vantor.exe\t/DIR=x"), "/DIR=x");
    EXPECT_STREQ(SkipProgramName("Vantor.exe"), "");
    EXPECT_STREQ(SkipProgramName("\"C:\\unclosed /S"), "");
}

}  // namespace
