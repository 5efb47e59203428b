// The run's log: one stamped line per call, written at once, bounded
// whatever it is given, and a log file made new, never written into.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "page_services.h"
#include "run_log.h"
#include "test_support.h"

namespace {

class RunLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = MakeTestFolder("run-log");
        path_ = root_ + "\\setup.log";
    }
    void TearDown() override
    {
        CloseRunLog();
        RemoveTree(root_);
    }
    std::string root_, path_;
};

// The log as a viewer reads it while the run still writes it.
bool ReadLog(const std::string& path, std::string* contents)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    char buffer[8192];
    DWORD read = 0;
    bool ok = ReadFile(file, buffer, sizeof buffer, &read, NULL) != 0;
    CloseHandle(file);
    contents->assign(buffer, read);
    return ok;
}

// "YYYY-MM-DD HH:MM:SS.mmm " in front of each line.
bool IsStamped(const std::string& line)
{
    const char shape[] = "9999-99-99 99:99:99.999 ";
    if (line.size() < sizeof shape - 1) {
        return false;
    }
    for (size_t i = 0; i + 1 < sizeof shape; ++i) {
        if (shape[i] == '9' ? !isdigit((unsigned char)line[i]) : line[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

TEST_F(RunLog, WritesStampedLinesAsTheyComeAndBoundsEveryLine)
{
    ASSERT_TRUE(WriteWholeFile(path_, "an old log"));
    ASSERT_TRUE(OpenRunLog(path_.c_str()));
    LogLine("installed %s, %lu bytes", "Quorvel.exe", 376832ul);
    std::string contents;
    ASSERT_TRUE(ReadLog(path_, &contents)) << "readable while the run goes on";
    EXPECT_EQ(contents.find("an old log"), std::string::npos);
    ASSERT_TRUE(IsStamped(contents)) << contents;
    EXPECT_EQ(contents.substr(24), "installed Quorvel.exe, 376832 bytes\r\n");

    LogError("cannot create C:\\x", ERROR_ACCESS_DENIED);
    LogLine("%s", std::string(5000, 'a').c_str());
    CloseRunLog();
    LogLine("after the close: nowhere");
    ASSERT_TRUE(ReadLog(path_, &contents));
    size_t second = contents.find("\r\n") + 2;
    size_t third = contents.find("\r\n", second) + 2;
    std::string error = contents.substr(second + 24, third - second - 26);
    EXPECT_EQ(error.find("cannot create C:\\x: error 5: "), 0u) << error;
    EXPECT_GT(error.size(), std::string("cannot create C:\\x: error 5: ").size()) << "with the text";
    EXPECT_EQ(contents.size() - third, 24u + 1023u + 2u) << "a long line is cut, not overrun";
    EXPECT_EQ(contents.find("nowhere"), std::string::npos);
}

TEST_F(RunLog, ANameThatIsAnotherFilesNameLosesOnlyTheName)
{
    std::string other = root_ + "\\other.txt";
    ASSERT_TRUE(WriteWholeFile(other, "someone's"));
    if (!CreateHardLinkA(path_.c_str(), other.c_str(), NULL)) {
        GTEST_SKIP() << "no hard links here";
    }
    ASSERT_TRUE(OpenRunLog(path_.c_str()));
    LogLine("a line");
    CloseRunLog();
    std::string contents;
    ASSERT_TRUE(ReadWholeFile(other, &contents));
    EXPECT_EQ(contents, "someone's");
}

TEST_F(RunLog, AFolderThatIsNotThereIsRefused)
{
    EXPECT_FALSE(OpenRunLog((root_ + "\\missing\\setup.log").c_str()));
    EXPECT_FALSE(RunLogOpen());
}

int s_windowsMade;

// Counts every window the thread would make, and makes none.
LRESULT CALLBACK RefuseWindows(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        ++s_windowsMade;
        return 1;
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

TEST_F(RunLog, UnattendedBoxesAreLoggedAndAnsweredWithoutAWindow)
{
    ASSERT_TRUE(OpenRunLog(path_.c_str()));
    HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseWindows, NULL, GetCurrentThreadId());
    s_windowsMade = 0;
    const struct {
        UINT type;
        int answer;  // the one that loses nothing
    } cases[] = {
        {MB_RETRYCANCEL | MB_ICONWARNING, IDCANCEL},
        {MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, IDNO},
        {MB_OK | MB_ICONERROR, IDOK},
    };
    SetPageRunMode(kPagesSilent);
    for (const auto& c : cases) {
        EXPECT_EQ(ShowPageBox(NULL, "first\r\nsecond", c.type), c.answer);
    }
    SetPageRunMode(kPagesPassive);
    EXPECT_EQ(ShowPageBox(NULL, "passive", MB_RETRYCANCEL), IDCANCEL);
    // A silent run makes no pause for the eye.
    SetPageRunMode(kPagesSilent);
    DWORD start = GetTickCount();
    PumpMessages(NULL, 60000);
    EXPECT_LT(GetTickCount() - start, 30000u);
    SetPageRunMode(kPagesInteractive);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(s_windowsMade, 0);
    CloseRunLog();

    std::string contents;
    ASSERT_TRUE(ReadLog(path_, &contents));
    size_t lines = 0;
    for (size_t at = contents.find("first  second\r\n"); at != std::string::npos;
         at = contents.find("first  second\r\n", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, 3u);
    EXPECT_NE(contents.find("passive\r\n"), std::string::npos);
}

}  // namespace
