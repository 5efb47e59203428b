// Progress accounting, the percent bar's value and the timed pump.
#include <gtest/gtest.h>

#include "extraction_page.h"
#include "install_state.h"
#include "page_ids.h"
#include "page_services.h"
#include "test_support.h"

namespace {

std::string CurrentSize(HWND page)
{
    char text[32];
    GetDlgItemTextA(page, IDC_CURRENT_SIZE, text, sizeof text);
    return text;
}

class Progress : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetInstallState();
        page_ = CreateProgressWindow();
    }
    void TearDown() override
    {
        DestroyWindow(page_);
        ResetInstallState();
    }
    HWND page_;
};

TEST_F(Progress, StartsFromTheInitialState)
{
    const InstallState& initial = InitialInstallState();
    EXPECT_STREQ(initial.destinationFolder, ".");
    EXPECT_STREQ(initial.windowsFolder, ".");
    EXPECT_STREQ(initial.programsFolder, ".");
    EXPECT_STREQ(initial.sendToFolder, ".");
    EXPECT_STREQ(initial.groupName, ".");
    EXPECT_EQ(initial.stepMask, 0u);
    EXPECT_EQ(initial.progressTotal, 0u);
    EXPECT_EQ(initial.progressDone, 0u);
    EXPECT_EQ(initial.barValue, 0);
}

// The manifest unpacked at start is the generated one, byte for byte, the
// zeros after each text included, whatever the record held before.
TEST(SetupRecord, StartUnpacksTheGeneratedManifest)
{
    const ProductManifest generated =
#include "manifest_data.inc"
        ;
    const ProductManifest saved = g_setup.manifest;
    memset(&g_setup.manifest, 0xAA, sizeof g_setup.manifest);
    StartSetupRecord();
    EXPECT_EQ(memcmp(&g_setup.manifest, &generated, sizeof generated), 0);
    g_setup.manifest = saved;
    ResetInstallState();
}

TEST_F(Progress, ClampsAtTheTotal)
{
    g_setup.state.progressTotal = 5000;
    AdvanceProgress(page_, 4000);
    AdvanceProgress(page_, 4000);
    EXPECT_EQ(g_setup.state.progressDone, 5000u);
    EXPECT_EQ(g_setup.state.barValue, 200);
    EXPECT_EQ(CurrentSize(page_), "5,000");
    // An addition that wraps 32 bits is clamped too.
    AdvanceProgress(page_, 0xFFFFFFFFu);
    EXPECT_EQ(g_setup.state.progressDone, 5000u);
}

TEST_F(Progress, NothingAccountedChangesNothing)
{
    g_setup.state.progressTotal = 0;
    AdvanceProgress(page_, 0);
    EXPECT_EQ(CurrentSize(page_), "");
    AdvanceProgress(page_, 100);
    EXPECT_EQ(g_setup.state.progressDone, 0u);
    EXPECT_EQ(CurrentSize(page_), "");
}

TEST(BarValue, HoldsForTotalsBeyondTheThirtyTwoBitProduct)
{
    EXPECT_EQ(BarValueFor(0, 100), 0);
    EXPECT_EQ(BarValueFor(1, 200), 1);
    EXPECT_EQ(BarValueFor(199, 200), 199);
    EXPECT_EQ(BarValueFor(200, 200), 200);
    // From 2^32 / 200 bytes on, done * 200 no longer fits 32 bits.
    EXPECT_EQ(BarValueFor(21474837u, 21474837u), 200);
    EXPECT_EQ(BarValueFor(0x80000000u, 0xFFFFFFFFu), 100);
    EXPECT_EQ(BarValueFor(0xFFFFFFFFu, 0xFFFFFFFFu), 200);
    EXPECT_EQ(BarValueFor(5, 0), 0);
    EXPECT_EQ(BarValueFor(300, 200), 200);
}

// The quotient found bit by bit is the one 64-bit division gives, on both
// sides of 2^32 / 200 and at each end of the bar.
TEST(BarValue, AgreesWithSixtyFourBitDivision)
{
    for (uint32_t total : {1u, 3u, 199u, 21474836u, 21474837u, 0x9ABCDEF1u, 0xFFFFFFFFu}) {
        for (uint32_t done : {0u, 1u, total / 200, total / 3, total / 2, total - 1, total}) {
            EXPECT_EQ(BarValueFor(done, total), (uint16_t)((uint64_t)done * 200 / total))
                << done << " of " << total;
        }
    }
}

TEST_F(Progress, PumpHandlesOnlyThePagesMessagesForTheWholePause)
{
    HWND other = CreateProgressWindow();
    PostMessageA(other, WM_CLOSE, 0, 0);
    PostMessageA(page_, WM_CLOSE, 0, 0);
    DWORD start = GetTickCount();
    PumpMessages(page_, 100);
    EXPECT_GE(GetTickCount() - start, 100u);
    EXPECT_FALSE(IsWindow(page_));
    EXPECT_TRUE(IsWindow(other)) << "another window's message must wait";
    DestroyWindow(other);
}

}  // namespace
