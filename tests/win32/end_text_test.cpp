// The uninstaller's end box in each of its wordings, the not-complete one
// included, which an interactive removal under Wine cannot reach: no file
// there fails to delete for any reason but being in use, which asks Retry.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "product_identity.h"
#include "uninstaller.h"
#include "uninstall_texts.h"

namespace {

const char* const kRemoved = PRODUCT_NAME " was removed from this computer.";
const char* const kLeft = "\r\n\r\nLeft in place:";
const char* const kItems =
    "\r\nC:\\Brindlemoor\\Quorvel\\Ledger.dat (your data)"
    "\r\nC:\\Brindlemoor\\Quorvel\\Quorvel.exe (could not be removed)";

std::string Compose(bool complete, const char* items, int count, size_t size = 2048)
{
    char text[2048 + 16];
    memset(text, '#', sizeof text);
    ComposeEndText(text, size, complete, items, count);
    for (size_t i = size; i < sizeof text; i++) {
        EXPECT_EQ('#', text[i]) << "written past " << size << " bytes";
    }
    EXPECT_LT(strlen(text), size);
    return text;
}

TEST(EndText, RemovedSaysSoAndListsWhatStayed)
{
    EXPECT_EQ(kRemoved, Compose(true, "", 0));
    EXPECT_EQ(std::string(kRemoved) + kLeft + kItems, Compose(true, kItems, 2));
}

TEST(EndText, NotCompleteNeverSaysRemovedAndOffersAnotherRun)
{
    std::string text = Compose(false, kItems, 2);
    EXPECT_EQ(std::string::npos, text.find("was removed")) << text;
    EXPECT_EQ(0u, text.find("The removal of " PRODUCT_NAME " was not complete")) << text;
    EXPECT_NE(std::string::npos, text.find("run the removal again")) << text;
    // One paragraph, then the list exactly as for a completed removal.
    size_t left = text.find(kLeft);
    ASSERT_NE(std::string::npos, left) << text;
    EXPECT_EQ(std::string::npos, text.substr(0, left).find("\r\n"));
    EXPECT_EQ(std::string(kLeft) + kItems, text.substr(left));
    // The window's status line: one line, and the start of what the box says.
    EXPECT_EQ(nullptr, strpbrk(kNotCompleteStatus, "\r\n"));
    EXPECT_EQ(0u, text.find(kNotCompleteStatus));
}

TEST(EndText, ATooSmallBoxDropsTheListNotItsEnd)
{
    std::string head = Compose(false, "", 0);
    // Room for the sentence and the heading but not the items: no heading
    // without its lines, and nothing written past the end.
    size_t size = head.size() + strlen(kLeft) + 4;
    EXPECT_EQ(head, Compose(false, kItems, 2, size));
    EXPECT_EQ("", Compose(true, kItems, 2, 8));
    Compose(true, kItems, 2, 1);
}

}  // namespace
