#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "ledger_file_format.h"
#include "ledger_text.h"

namespace {

typedef std::vector<unsigned char> Bytes;

const char kFortyChars[] = "Invoice 2006-118 paid, with two payments";

LedgerBook Book(int count)
{
    LedgerBook book;
    memset(&book, 0x5A, sizeof book);  // no help from zeroed memory
    book.count = 0;
    for (int i = 0; i < count; i++) {
        std::string text = i % 3 == 0 ? kFortyChars : "Entry " + std::to_string(i);
        long long amount = i % 2 ? -LEDGER_AMOUNT_LIMIT + i : LEDGER_AMOUNT_LIMIT - i;
        EXPECT_TRUE(AppendLedgerEntry(&book, text.c_str(), i == 1 ? 0 : amount));
    }
    return book;
}

Bytes Encode(const LedgerBook& book)
{
    Bytes out(LEDGER_FILE_MAX_SIZE);
    out.resize(EncodeLedgerFile(&book, out.data(), out.size()));
    return out;
}

// Each decode reads from a buffer of exactly the file's size, so the
// sanitizer sees any read past its end.
LedgerFileResult Decode(const Bytes& file, LedgerBook* book)
{
    Bytes exact(file);
    exact.shrink_to_fit();
    return DecodeLedgerFile(exact.empty() ? nullptr : exact.data(), exact.size(), book);
}

// Puts a right checksum back after a deliberate change, so the check under
// test is the one that has to catch it.
void Reseal(Bytes* file)
{
    size_t end = file->size() - 4;
    unsigned long crc = LedgerFileChecksum(file->data(), end);
    for (int i = 0; i < 4; i++)
        (*file)[end + i] = (unsigned char)(crc >> (8 * i));
}

void PutAmount(Bytes* file, size_t at, long long value)
{
    for (int i = 0; i < 8; i++)
        (*file)[at + i] = (unsigned char)((unsigned long long)value >> (8 * i));
}

const size_t kFirstText = LEDGER_FILE_HEADER_SIZE;
const size_t kFirstAmount = LEDGER_FILE_HEADER_SIZE + LEDGER_TEXT_SIZE;

TEST(LedgerFileRoundTrip, BooksOfNoneOneAndAllEntriesComeBackEqual)
{
    for (int count : { 0, 1, 2, LEDGER_MAX_ENTRIES }) {
        LedgerBook book = Book(count);
        Bytes file = Encode(book);
        ASSERT_EQ(file.size(), LEDGER_FILE_HEADER_SIZE + count * LEDGER_FILE_ENTRY_SIZE + 4);
        LedgerBook back;
        back.count = -1;
        ASSERT_EQ(Decode(file, &back), LEDGER_FILE_OK) << count;
        ASSERT_EQ(back.count, count);
        long long balance = 0;
        for (int i = 0; i < count; i++) {
            balance += book.entries[i].amount;
            EXPECT_STREQ(back.entries[i].text, book.entries[i].text);
            EXPECT_EQ(back.entries[i].amount, book.entries[i].amount);
            EXPECT_EQ(back.entries[i].balance, balance);
        }
        EXPECT_EQ(Encode(back), file);
    }
    EXPECT_EQ(Encode(Book(LEDGER_MAX_ENTRIES)).size(), LEDGER_FILE_MAX_SIZE);
}

TEST(LedgerFileRoundTrip, TheLayoutStaysWhatEarlierVersionsWrote)
{
    // Two entries, made outside this code: little-endian numbers, NUL-padded
    // texts (bytes above 127 kept as they are), CRC-32 last.
    const char* hex =
        "514c44470100020013fdffffffffffff52656e7400000000000000000000000000000000000000"
        "000000000000000000000000000000000000e204000000000000436166e9000000000000000000"
        "0000000000000000000000000000000000000000000000000000000031f8ffffffffffff618860"
        "0d";
    Bytes golden;
    for (const char* p = hex; *p; p += 2)
        golden.push_back((unsigned char)std::stoi(std::string(p, 2), nullptr, 16));
    LedgerBook book = Book(0);
    ASSERT_TRUE(AppendLedgerEntry(&book, "Rent", 1250));
    ASSERT_TRUE(AppendLedgerEntry(&book, "Caf\xe9", -1999));
    EXPECT_EQ(Encode(book), golden);
    const unsigned char check[] = "123456789";
    EXPECT_EQ(LedgerFileChecksum(check, 9), 0xCBF43926ul);
}

TEST(LedgerFileRoundTrip, EntriesOnlyGoInWhenTheFileCouldHoldThem)
{
    LedgerBook book = Book(0);
    EXPECT_FALSE(AppendLedgerEntry(&book, "", 5));
    EXPECT_FALSE(AppendLedgerEntry(&book, "Too much", LEDGER_AMOUNT_LIMIT + 1));
    EXPECT_FALSE(AppendLedgerEntry(&book, "Too much", -LEDGER_AMOUNT_LIMIT - 1));
    EXPECT_EQ(book.count, 0);
    ASSERT_TRUE(AppendLedgerEntry(&book, "A description longer than forty characters", -7));
    EXPECT_STREQ(book.entries[0].text, "A description longer than forty characte");
    EXPECT_EQ(book.entries[0].balance, -7);

    LedgerBook full = Book(LEDGER_MAX_ENTRIES);
    EXPECT_FALSE(AppendLedgerEntry(&full, "One more", 1));
    EXPECT_EQ(full.count, LEDGER_MAX_ENTRIES);

    // What reading would refuse is never written.
    unsigned char out[LEDGER_FILE_MAX_SIZE];
    LedgerBook bad = Book(3);
    bad.entries[2].amount = LEDGER_AMOUNT_LIMIT + 1;
    EXPECT_EQ(EncodeLedgerFile(&bad, out, sizeof out), 0u);
    bad = Book(3);
    bad.entries[1].text[0] = '\0';
    EXPECT_EQ(EncodeLedgerFile(&bad, out, sizeof out), 0u);
    bad = Book(3);
    bad.count = LEDGER_MAX_ENTRIES + 1;
    EXPECT_EQ(EncodeLedgerFile(&bad, out, sizeof out), 0u);
    EXPECT_EQ(EncodeLedgerFile(&full, out, sizeof out - 1), 0u);
}

TEST(LedgerAmountLimit, IsTheLargestAmountThatCanBeTyped)
{
    long long cents = 0;
    ASSERT_TRUE(ParseAmount("9,999,999,999.99", &cents));
    EXPECT_EQ(cents, LEDGER_AMOUNT_LIMIT);
    ASSERT_TRUE(ParseAmount("-9999999999.99", &cents));
    EXPECT_EQ(cents, -LEDGER_AMOUNT_LIMIT);
    EXPECT_FALSE(ParseAmount("10000000000", &cents));
}

TEST(LedgerFileDamage, EveryTruncationAndEveryFlippedBitIsRefused)
{
    Bytes file = Encode(Book(3));
    LedgerBook book;
    for (size_t size = 0; size < file.size(); size++) {
        Bytes cut(file.begin(), file.begin() + size);
        book.count = 7;
        EXPECT_NE(Decode(cut, &book), LEDGER_FILE_OK) << size;
        EXPECT_EQ(book.count, 0);
    }
    Bytes longer(file);
    longer.push_back(0);
    EXPECT_EQ(Decode(longer, &book), LEDGER_FILE_BAD_SIZE);
    for (size_t at = 0; at < file.size(); at++) {
        for (int bit = 0; bit < 8; bit++) {
            Bytes flipped(file);
            flipped[at] ^= (unsigned char)(1 << bit);
            EXPECT_NE(Decode(flipped, &book), LEDGER_FILE_OK) << at << ":" << bit;
            EXPECT_EQ(book.count, 0);
        }
    }
}

TEST(LedgerFileDamage, TheHeaderSaysWhatIsWrong)
{
    Bytes file = Encode(Book(2));
    LedgerBook book;
    Bytes other(file);
    other[0] = 'X';
    EXPECT_EQ(Decode(other, &book), LEDGER_FILE_NOT_LEDGER);
    EXPECT_EQ(Decode(Bytes{ 'M', 'Z' }, &book), LEDGER_FILE_NOT_LEDGER);
    EXPECT_EQ(Decode(Bytes(file.begin(), file.begin() + 6), &book), LEDGER_FILE_BAD_SIZE);
    for (unsigned char version : { 0, 2, 255 }) {
        other = file;
        other[4] = version;
        EXPECT_EQ(Decode(other, &book), LEDGER_FILE_OTHER_VERSION) << (int)version;
    }
    for (unsigned count : { 65u, 0xFFFFu }) {
        other = file;
        other[6] = (unsigned char)count;
        other[7] = (unsigned char)(count >> 8);
        EXPECT_EQ(Decode(other, &book), LEDGER_FILE_TOO_MANY_ENTRIES) << count;
    }
    // A count that disagrees with the size, even with a fitting checksum.
    other = file;
    other[6] = 3;
    Reseal(&other);
    EXPECT_EQ(Decode(other, &book), LEDGER_FILE_BAD_SIZE);
    other = file;
    other.back() ^= 0x80;
    EXPECT_EQ(Decode(other, &book), LEDGER_FILE_BAD_CHECKSUM);
}

TEST(LedgerFileDamage, EntriesThatTheLedgerCannotHoldAreRefused)
{
    const Bytes file = Encode(Book(2));
    LedgerBook book;
    Bytes bad(file);
    memset(&bad[kFirstText], 'x', LEDGER_TEXT_SIZE);  // no terminating NUL
    Reseal(&bad);
    EXPECT_EQ(Decode(bad, &book), LEDGER_FILE_BAD_TEXT);
    bad = file;
    bad[kFirstText] = '\0';  // empty
    Reseal(&bad);
    EXPECT_EQ(Decode(bad, &book), LEDGER_FILE_BAD_TEXT);
    bad = file;
    bad[kFirstText + 5] = '\0';  // the rest of the text left behind the NUL
    Reseal(&bad);
    EXPECT_EQ(Decode(bad, &book), LEDGER_FILE_BAD_TEXT);

    for (long long amount : { LEDGER_AMOUNT_LIMIT + 1, -LEDGER_AMOUNT_LIMIT - 1,
                              (long long)(~0ull >> 1), (long long)(1ull << 63) }) {
        bad = file;
        PutAmount(&bad, kFirstAmount, amount);
        Reseal(&bad);
        EXPECT_EQ(Decode(bad, &book), LEDGER_FILE_BAD_AMOUNT) << amount;
        EXPECT_EQ(book.count, 0);
    }
    // An amount changed without the closing balance: the sums disagree.
    bad = file;
    PutAmount(&bad, kFirstAmount, 12345);
    Reseal(&bad);
    EXPECT_EQ(Decode(bad, &book), LEDGER_FILE_BAD_BALANCE);
    EXPECT_EQ(book.count, 0);
}

}  // namespace
