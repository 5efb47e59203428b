// The ledger's entries and the bytes of the file that keeps them. Free of
// Windows so the host can test it.
#ifndef QUORVEL_LEDGER_FILE_FORMAT_H
#define QUORVEL_LEDGER_FILE_FORMAT_H

#include <stddef.h>

// A ledger holds a fixed number of entries; a description is at most 40
// characters.
const int LEDGER_MAX_ENTRIES = 64;
const int LEDGER_TEXT_SIZE = 41;

struct LedgerEntry {
    char text[LEDGER_TEXT_SIZE];
    long long amount;   // cents
    long long balance;  // cents, after this entry
};

struct LedgerBook {
    int count;
    LedgerEntry entries[LEDGER_MAX_ENTRIES];
};

// The file, all numbers little-endian:
//   "QLDG", version (2 bytes), entry count (2 bytes), closing balance (8),
//   per entry: the text NUL-padded to LEDGER_TEXT_SIZE bytes, amount (8),
//   CRC-32 of everything before it (4).
// Balances other than the closing one are not stored: they are recomputed.
const unsigned LEDGER_FILE_VERSION = 1;
const size_t LEDGER_FILE_HEADER_SIZE = 16;
const size_t LEDGER_FILE_ENTRY_SIZE = LEDGER_TEXT_SIZE + 8;
const size_t LEDGER_FILE_MAX_SIZE =
    LEDGER_FILE_HEADER_SIZE + LEDGER_MAX_ENTRIES * LEDGER_FILE_ENTRY_SIZE + 4;

// Why a file was refused, so a test can tell which check caught it.
enum LedgerFileResult {
    LEDGER_FILE_OK,
    LEDGER_FILE_NOT_LEDGER,       // too short for a header, or another magic
    LEDGER_FILE_OTHER_VERSION,
    LEDGER_FILE_TOO_MANY_ENTRIES,
    LEDGER_FILE_BAD_SIZE,         // truncated, or more than the count explains
    LEDGER_FILE_BAD_CHECKSUM,
    LEDGER_FILE_BAD_TEXT,         // empty, unterminated, or junk after the NUL
    LEDGER_FILE_BAD_AMOUNT,       // beyond what the ledger lets anyone type
    LEDGER_FILE_BAD_BALANCE,      // the entries do not add up to the closing balance
};

// CRC-32 as zip and PNG use it; the file's last four bytes.
unsigned long LedgerFileChecksum(const unsigned char* data, size_t size);

// Appends an entry with its running balance; the text is cut to 40
// characters. False, and the book untouched, when it is full, the text is
// empty or the amount is beyond LEDGER_AMOUNT_LIMIT.
bool AppendLedgerEntry(LedgerBook* book, const char* text, long long amount);

// Writes the book into out (LEDGER_FILE_MAX_SIZE bytes is always enough)
// and answers the size, or 0 when out is too small or the book holds
// something decoding would refuse.
size_t EncodeLedgerFile(const LedgerBook* book, unsigned char* out, size_t size);

// Reads size bytes of a file into book. Anything but LEDGER_FILE_OK leaves
// the book empty.
LedgerFileResult DecodeLedgerFile(const unsigned char* data, size_t size, LedgerBook* book);

#endif
