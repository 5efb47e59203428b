// The manifest's local time stamp in a zone whose offset is not a whole
// hour; ctest runs it only with TZ=Asia/Kolkata (UTC+5:30, no daylight
// saving).
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include "install_state.h"

namespace {

TEST(TimeZone, AHalfHourOffsetMovesTheStampByAllOfIt)
{
    char zone[64];
    if (GetEnvironmentVariableA("TZ", zone, sizeof zone) == 0 ||
        strcmp(zone, "Asia/Kolkata") != 0) {
        GTEST_SKIP() << "run with TZ=Asia/Kolkata only";
    }
    TIME_ZONE_INFORMATION information;
    GetTimeZoneInformation(&information);
    ASSERT_EQ(information.Bias, -330) << "Wine did not take the host's zone";

    // The pass's conversion against plain arithmetic: UTC = local + bias.
    FILETIME local, utc;
    ASSERT_TRUE(SystemTimeToFileTime((const SYSTEMTIME*)&g_setup.manifest.fileTime, &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
    ULARGE_INTEGER l = {{local.dwLowDateTime, local.dwHighDateTime}};
    ULARGE_INTEGER u = {{utc.dwLowDateTime, utc.dwHighDateTime}};
    const long long kTicksPerMinute = 600000000LL;
    EXPECT_EQ((long long)(u.QuadPart - l.QuadPart), -330 * kTicksPerMinute);
}

}  // namespace
