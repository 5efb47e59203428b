// Quorvel's ledger file on real folders: loading, the atomic save, and the
// boxes that tell the user when the ledger is not being kept.
#include <gtest/gtest.h>

#include <string>

#include "ledger_store.h"
#include "ledger_text.h"
#include "product_window.h"
#include "test_support.h"

namespace {

LedgerBook Book(int count, long long base)
{
    LedgerBook book;
    book.count = 0;
    for (int i = 0; i < count; i++) {
        std::string text = "Entry " + std::to_string(i) + " of a ledger with forty";
        EXPECT_TRUE(AppendLedgerEntry(&book, text.substr(0, 40).c_str(), base + i * 7));
    }
    return book;
}

void ExpectSameBook(const LedgerBook& actual, const LedgerBook& expected)
{
    ASSERT_EQ(actual.count, expected.count);
    for (int i = 0; i < expected.count; i++) {
        EXPECT_STREQ(actual.entries[i].text, expected.entries[i].text);
        EXPECT_EQ(actual.entries[i].amount, expected.entries[i].amount);
        EXPECT_EQ(actual.entries[i].balance, expected.entries[i].balance);
    }
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Contents(const std::string& path)
{
    std::string contents;
    EXPECT_TRUE(ReadWholeFile(path, &contents)) << path;
    return contents;
}

std::string ReplaceText(const std::string& file, const char* aside)
{
    return "The ledger file\r\n" + file + "\r\ncould not be read when " PRODUCT_NAME
           " started. Replace it with the ledger shown now?\r\n\r\nYes keeps that file "
           "beside it as " + aside + ".\r\nNo keeps working without saving and leaves "
           "that file as it is.";
}

// The file opened as another program would hold it.
HANDLE Hold(const std::string& path, DWORD share)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, share, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    return file;
}

// Lets go of the file after a quarter of the time a read waits for it.
DWORD WINAPI LetGoSoon(void* file)
{
    Sleep(LEDGER_READ_RETRY_LIMIT / 4);
    CloseHandle(file);
    return 0;
}

std::string SaveFailedText(const std::string& folder)
{
    return PRODUCT_NAME " cannot save the ledger in the folder\r\n" + folder +
           "\r\n\r\nThe entries stay in this window and " PRODUCT_NAME " tries again with each "
           "change, but what is not saved is lost when " PRODUCT_NAME " closes.";
}

class LedgerStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = MakeTestFolder("ledger");
        file_ = folder_ + "\\Ledger.dat";
        temp_ = folder_ + "\\Ledger.tmp";
        ASSERT_TRUE(SetLedgerFolder(folder_.c_str()));
    }
    void TearDown() override { RemoveTree(folder_); }

    std::string folder_, file_, temp_;
};

TEST_F(LedgerStore, WhatIsSavedLoadsBackAndNothingIsWrittenBeforeAChange)
{
    BoxAnswerer boxes(IDOK);
    LedgerBook loaded = Book(2, 5);
    EXPECT_EQ(LoadLedger(NULL, &loaded), LEDGER_READ_NO_FILE);
    EXPECT_EQ(loaded.count, 0);
    EXPECT_FALSE(Exists(file_));

    LedgerBook full = Book(LEDGER_MAX_ENTRIES, -LEDGER_AMOUNT_LIMIT);
    ASSERT_TRUE(SaveLedger(NULL, &full));
    EXPECT_FALSE(Exists(temp_));
    ASSERT_TRUE(SetLedgerFolder(folder_.c_str()));
    EXPECT_EQ(LoadLedger(NULL, &loaded), LEDGER_READ_OK);
    ExpectSameBook(loaded, full);

    // A later save replaces the file, a new ledger included.
    LedgerBook empty = Book(0, 0);
    ASSERT_TRUE(SaveLedger(NULL, &empty));
    EXPECT_EQ(LoadLedger(NULL, &loaded), LEDGER_READ_OK);
    EXPECT_EQ(loaded.count, 0);
    EXPECT_EQ(boxes.seen.count, 0);
}

TEST_F(LedgerStore, AnUnreadableFileIsNamedAndOnlyReplacedWhenTheUserAgrees)
{
    LedgerBook good = Book(3, 1000);
    ASSERT_TRUE(WriteLedgerFile(file_.c_str(), temp_.c_str(), &good));
    std::string damaged = Contents(file_);
    damaged[30] ^= 4;
    std::string newer = Contents(file_);
    newer[4] = 2;
    const struct {
        std::string contents;
        const char* why;
    } cases[] = {
        { damaged, "is damaged" },
        { damaged.substr(0, 40), "is damaged" },
        { newer, "was written by another version of " PRODUCT_NAME },
        { "MZ\x90", "is not a " PRODUCT_NAME " ledger" },
    };
    for (const auto& unreadable : cases) {
        SCOPED_TRACE(unreadable.why);
        ASSERT_TRUE(WriteWholeFile(file_, unreadable.contents));
        ASSERT_TRUE(SetLedgerFolder(folder_.c_str()));
        LedgerBook book = Book(1, 1);
        {
            BoxAnswerer boxes(IDOK);
            EXPECT_EQ(LoadLedger(NULL, &book), LEDGER_READ_UNREADABLE);
            EXPECT_EQ(book.count, 0);
            ASSERT_EQ(boxes.seen.count, 1);
            EXPECT_EQ(boxes.seen.caption, PRODUCT_NAME);
            EXPECT_EQ(boxes.seen.text, "The ledger file\r\n" + file_ + "\r\n" + unreadable.why +
                                       ".\r\n\r\n" PRODUCT_NAME
                                       " opens an empty ledger and leaves that file as it is.");
        }
        // No: asked once, then the ledger stays in memory without a word.
        BoxAnswerer boxes(IDNO);
        book = Book(2, 50);
        EXPECT_FALSE(SaveLedger(NULL, &book));
        EXPECT_FALSE(SaveLedger(NULL, &book));
        ASSERT_EQ(boxes.seen.count, 1);
        EXPECT_EQ(boxes.seen.text, ReplaceText(file_, "Ledger-1.dat"));
        EXPECT_EQ(Contents(file_), unreadable.contents);
        EXPECT_FALSE(Exists(temp_));
        EXPECT_FALSE(Exists(folder_ + "\\Ledger-1.dat"));
    }

    // Yes: the file is kept aside under the first free number and replaced
    // by the ledger shown; saves go on quietly.
    const std::string aside[] = {folder_ + "\\Ledger-1.dat", folder_ + "\\Ledger-2.dat"};
    const std::string kept[] = {damaged, "MZ\x90"};
    for (int round = 0; round < 2; round++) {
        ASSERT_TRUE(WriteWholeFile(file_, kept[round]));
        ASSERT_TRUE(SetLedgerFolder(folder_.c_str()));
        LedgerBook book;
        {
            BoxAnswerer boxes(IDOK);
            LoadLedger(NULL, &book);
        }
        BoxAnswerer boxes(IDYES);
        EXPECT_TRUE(SaveLedger(NULL, &good));
        EXPECT_TRUE(SaveLedger(NULL, &good));
        EXPECT_EQ(boxes.seen.count, 1);
        EXPECT_EQ(boxes.seen.text,
                  ReplaceText(file_, round == 0 ? "Ledger-1.dat" : "Ledger-2.dat"));
        EXPECT_EQ(LoadLedger(NULL, &book), LEDGER_READ_OK);
        ExpectSameBook(book, good);
        for (int i = 0; i <= round; i++)
            EXPECT_EQ(Contents(aside[i]), kept[i]);
    }
}

TEST_F(LedgerStore, AnUnreadableFileThatCannotBeKeptAsideIsNotReplaced)
{
    ASSERT_TRUE(WriteWholeFile(file_, "not a ledger"));
    LedgerBook book;
    {
        BoxAnswerer boxes(IDOK);
        EXPECT_EQ(LoadLedger(NULL, &book), LEDGER_READ_UNREADABLE);
    }
    // Held without leave to rename: the save fails and says so, once.
    LedgerBook changed = Book(3, 40);
    {
        HANDLE holder = Hold(file_, FILE_SHARE_READ);
        BoxAnswerer boxes(IDYES);
        EXPECT_FALSE(SaveLedger(NULL, &changed));
        EXPECT_FALSE(SaveLedger(NULL, &changed));
        CloseHandle(holder);
        ASSERT_EQ(boxes.boxes.size(), 2u);
        EXPECT_EQ(boxes.boxes[0].text, ReplaceText(file_, "Ledger-1.dat"));
        EXPECT_EQ(boxes.boxes[1].text, SaveFailedText(folder_));
    }
    EXPECT_EQ(Contents(file_), "not a ledger");
    EXPECT_FALSE(Exists(folder_ + "\\Ledger-1.dat"));

    // Let go: the next change keeps it aside without asking again.
    BoxAnswerer boxes(IDNO);
    EXPECT_TRUE(SaveLedger(NULL, &changed));
    EXPECT_EQ(boxes.seen.count, 0);
    EXPECT_EQ(Contents(folder_ + "\\Ledger-1.dat"), "not a ledger");
    EXPECT_EQ(LoadLedger(NULL, &book), LEDGER_READ_OK);
    ExpectSameBook(book, changed);
}

TEST_F(LedgerStore, ATemporaryFileLeftAloneIsTakenOnlyWhenItDecodes)
{
    LedgerBook good = Book(4, 70);
    ASSERT_TRUE(WriteLedgerFile(temp_.c_str(), (folder_ + "\\scratch").c_str(), &good));
    std::string whole = Contents(temp_);

    // Whole and alone: it is the ledger, and from now on under its own name.
    LedgerBook book = Book(1, 1);
    {
        BoxAnswerer boxes(IDOK);
        EXPECT_EQ(LoadLedger(NULL, &book), LEDGER_READ_OK);
        EXPECT_EQ(boxes.seen.count, 0);
    }
    ExpectSameBook(book, good);
    EXPECT_EQ(Contents(file_), whole);
    EXPECT_FALSE(Exists(temp_));

    // Beside a ledger it is a save that never finished: the ledger wins,
    // and the leftover is not touched.
    std::string older = whole;
    older[20] ^= 1;
    ASSERT_TRUE(WriteWholeFile(temp_, older));
    ASSERT_TRUE(SetLedgerFolder(folder_.c_str()));
    EXPECT_EQ(LoadLedger(NULL, &book), LEDGER_READ_OK);
    ExpectSameBook(book, good);
    EXPECT_EQ(Contents(temp_), older);

    // Damaged and alone: an empty ledger, not a word, and nothing moved.
    ASSERT_TRUE(DeleteFileA(file_.c_str()));
    ASSERT_TRUE(SetLedgerFolder(folder_.c_str()));
    BoxAnswerer boxes(IDOK);
    EXPECT_EQ(LoadLedger(NULL, &book), LEDGER_READ_NO_FILE);
    EXPECT_EQ(book.count, 0);
    EXPECT_EQ(boxes.seen.count, 0);
    EXPECT_EQ(Contents(temp_), older);
    EXPECT_FALSE(Exists(file_));
}

TEST_F(LedgerStore, AFileHeldForAMomentIsReadOnceLetGo)
{
    LedgerBook good = Book(5, -9);
    ASSERT_TRUE(WriteLedgerFile(file_.c_str(), temp_.c_str(), &good));
    LedgerBook book;
    LedgerFileResult why;
    // Opened without sharing, as a virus scanner may. (A range locked by a
    // backup is tried again the same way, but Wine's reads ignore locks.)
    HANDLE letGo = CreateThread(NULL, 0, LetGoSoon, Hold(file_, 0), 0, NULL);
    ASSERT_NE(letGo, (HANDLE)NULL);
    EXPECT_EQ(ReadLedgerFile(file_.c_str(), &book, &why), LEDGER_READ_OK);
    ExpectSameBook(book, good);
    WaitForSingleObject(letGo, INFINITE);
    CloseHandle(letGo);

    // Held for good: unreadable after the wait, and left as it is.
    std::string before = Contents(file_);
    HANDLE holder = Hold(file_, 0);
    BoxAnswerer boxes(IDOK);
    EXPECT_EQ(LoadLedger(NULL, &book), LEDGER_READ_UNREADABLE);
    EXPECT_EQ(book.count, 0);
    EXPECT_EQ(boxes.seen.text, "The ledger file\r\n" + file_ +
                               "\r\ncould not be opened.\r\n\r\n" PRODUCT_NAME
                               " opens an empty ledger and leaves that file as it is.");
    CloseHandle(holder);
    EXPECT_EQ(Contents(file_), before);
}

TEST_F(LedgerStore, AFolderThatCannotBeWrittenIsToldOnceAndLaterSavesTryAgain)
{
    std::string missing = folder_ + "\\not yet";
    ASSERT_TRUE(SetLedgerFolder(missing.c_str()));
    LedgerBook book = Book(4, 100);
    BoxAnswerer boxes(IDOK);
    EXPECT_FALSE(SaveLedger(NULL, &book));
    EXPECT_FALSE(SaveLedger(NULL, &book));
    EXPECT_EQ(boxes.seen.count, 1);
    EXPECT_EQ(boxes.seen.caption, PRODUCT_NAME);
    EXPECT_EQ(boxes.seen.text, SaveFailedText(missing));

    ASSERT_TRUE(CreateDirectoryA(missing.c_str(), NULL));
    EXPECT_TRUE(SaveLedger(NULL, &book));
    EXPECT_EQ(boxes.seen.count, 1);
    LedgerBook loaded;
    LedgerFileResult why;
    EXPECT_EQ(ReadLedgerFile((missing + "\\Ledger.dat").c_str(), &loaded, &why), LEDGER_READ_OK);
    ExpectSameBook(loaded, book);
}

TEST_F(LedgerStore, AFailedSaveKeepsTheOldFileWholeAndRemovesItsTemporaryFile)
{
    LedgerBook old = Book(5, 300);
    ASSERT_TRUE(WriteLedgerFile(file_.c_str(), temp_.c_str(), &old));
    std::string before = Contents(file_);
    LedgerBook changed = Book(6, -20);

    // A ledger held open by another program cannot be replaced.
    HANDLE reader = CreateFileA(file_.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                OPEN_EXISTING, 0, NULL);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteLedgerFile(file_.c_str(), temp_.c_str(), &changed));
    CloseHandle(reader);
    EXPECT_EQ(Contents(file_), before);
    EXPECT_FALSE(Exists(temp_));

    // Nor can the temporary file be made where a folder has its name.
    ASSERT_TRUE(CreateDirectoryA(temp_.c_str(), NULL));
    BoxAnswerer boxes(IDOK);
    EXPECT_FALSE(SaveLedger(NULL, &changed));
    EXPECT_EQ(boxes.seen.text, SaveFailedText(folder_));
    EXPECT_EQ(Contents(file_), before);
}

// Run by the full-disk script with VANTOR_FULL_DRIVE naming a drive that
// maps a small filesystem: a save that finds no room leaves the old ledger.
TEST(FullDisk, LedgerSaveKeepsOldFile)
{
    char drive[8];
    if (GetEnvironmentVariableA("VANTOR_FULL_DRIVE", drive, sizeof drive) == 0) {
        GTEST_SKIP() << "run by the full-disk script only";
    }
    std::string folder = std::string(drive) + "\\Ledger";
    std::string file = folder + "\\Ledger.dat";
    std::string temp = folder + "\\Ledger.tmp";
    std::string filler = std::string(drive) + "\\filler";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    LedgerBook old = Book(LEDGER_MAX_ENTRIES, 10);
    ASSERT_TRUE(WriteLedgerFile(file.c_str(), temp.c_str(), &old));
    std::string before = Contents(file);

    // Fill what is left, in smaller and smaller writes, to the last byte.
    HANDLE fill = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(fill, INVALID_HANDLE_VALUE);
    static const char zeros[4096] = {};
    for (DWORD chunk = sizeof zeros; chunk > 0; chunk /= 2) {
        DWORD written = chunk;
        while (written == chunk && WriteFile(fill, zeros, chunk, &written, NULL)) {
        }
    }
    CloseHandle(fill);

    ASSERT_TRUE(SetLedgerFolder(folder.c_str()));
    LedgerBook changed = Book(LEDGER_MAX_ENTRIES, -10);
    {
        BoxAnswerer boxes(IDOK);
        EXPECT_FALSE(SaveLedger(NULL, &changed));
        EXPECT_EQ(boxes.seen.count, 1);
        EXPECT_EQ(boxes.seen.text, SaveFailedText(folder));
    }
    EXPECT_EQ(Contents(file), before);
    EXPECT_FALSE(Exists(temp));

    // Room again: the next change is saved without another box.
    DeleteFileA(filler.c_str());
    BoxAnswerer boxes(IDOK);
    EXPECT_TRUE(SaveLedger(NULL, &changed));
    EXPECT_EQ(boxes.seen.count, 0);
    LedgerBook loaded;
    EXPECT_EQ(LoadLedger(NULL, &loaded), LEDGER_READ_OK);
    ExpectSameBook(loaded, changed);
    RemoveTree(folder);
}

}  // namespace
