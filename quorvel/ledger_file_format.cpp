#include "ledger_file_format.h"

#include "ledger_text.h"

static const unsigned char LEDGER_MAGIC[4] = { 'Q', 'L', 'D', 'G' };

// Bit by bit: a ledger file is a few KB at most, written once per change,
// so a table would buy nothing.
unsigned long LedgerFileChecksum(const unsigned char* data, size_t size)
{
    unsigned long crc = 0xFFFFFFFFul;
    for (size_t i = 0; i < size; i++) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; bit++)
            crc = (crc >> 1) ^ (0xEDB88320ul & (0ul - (crc & 1)));
    }
    return ~crc & 0xFFFFFFFFul;
}

static void PutNumber(unsigned char* out, unsigned long long value, int bytes)
{
    for (int i = 0; i < bytes; i++)
        out[i] = (unsigned char)(value >> (8 * i));
}

static unsigned long long GetNumber(const unsigned char* in, int bytes)
{
    unsigned long long value = 0;
    for (int i = bytes - 1; i >= 0; i--)
        value = (value << 8) | in[i];
    return value;
}

static bool AmountInRange(long long amount)
{
    return amount >= -LEDGER_AMOUNT_LIMIT && amount <= LEDGER_AMOUNT_LIMIT;
}

bool AppendLedgerEntry(LedgerBook* book, const char* text, long long amount)
{
    if (book->count < 0 || book->count >= LEDGER_MAX_ENTRIES || text[0] == '\0' ||
        !AmountInRange(amount))
        return false;
    LedgerEntry* entry = &book->entries[book->count];
    int length = 0;
    for (; length < LEDGER_TEXT_SIZE - 1 && text[length] != '\0'; length++)
        entry->text[length] = text[length];
    // Zero to the end, so the encoded text has no stray bytes.
    for (int i = length; i < LEDGER_TEXT_SIZE; i++)
        entry->text[i] = '\0';
    entry->amount = amount;
    // In range, 64 amounts sum far inside 64 bits.
    entry->balance = (book->count > 0 ? book->entries[book->count - 1].balance : 0) + amount;
    book->count++;
    return true;
}

size_t EncodeLedgerFile(const LedgerBook* book, unsigned char* out, size_t size)
{
    if (book->count < 0 || book->count > LEDGER_MAX_ENTRIES)
        return 0;
    size_t total = LEDGER_FILE_HEADER_SIZE + book->count * LEDGER_FILE_ENTRY_SIZE + 4;
    if (size < total)
        return 0;
    // Rebuilt through the same checks that reading applies, so a book that
    // could not be read back is never written.
    LedgerBook checked;
    checked.count = 0;
    for (int i = 0; i < book->count; i++) {
        const LedgerEntry* entry = &book->entries[i];
        char text[LEDGER_TEXT_SIZE];
        int length = 0;
        for (; length < LEDGER_TEXT_SIZE - 1 && entry->text[length] != '\0'; length++)
            text[length] = entry->text[length];
        text[length] = '\0';
        if (!AppendLedgerEntry(&checked, text, entry->amount))
            return 0;
    }
    long long closing = checked.count > 0 ? checked.entries[checked.count - 1].balance : 0;

    for (int i = 0; i < 4; i++)
        out[i] = LEDGER_MAGIC[i];
    PutNumber(out + 4, LEDGER_FILE_VERSION, 2);
    PutNumber(out + 6, (unsigned long long)checked.count, 2);
    PutNumber(out + 8, (unsigned long long)closing, 8);
    unsigned char* at = out + LEDGER_FILE_HEADER_SIZE;
    for (int i = 0; i < checked.count; i++) {
        for (int c = 0; c < LEDGER_TEXT_SIZE; c++)
            at[c] = (unsigned char)checked.entries[i].text[c];
        PutNumber(at + LEDGER_TEXT_SIZE, (unsigned long long)checked.entries[i].amount, 8);
        at += LEDGER_FILE_ENTRY_SIZE;
    }
    PutNumber(at, LedgerFileChecksum(out, total - 4), 4);
    return total;
}

// A text field holds at least one character, a NUL within the field, and
// nothing but NULs after it.
static bool TextFieldValid(const unsigned char* field)
{
    int length = 0;
    while (length < LEDGER_TEXT_SIZE && field[length] != 0)
        length++;
    if (length == 0 || length == LEDGER_TEXT_SIZE)
        return false;
    for (int i = length; i < LEDGER_TEXT_SIZE; i++) {
        if (field[i] != 0)
            return false;
    }
    return true;
}

static LedgerFileResult DecodeEntries(const unsigned char* data, int count, LedgerBook* book)
{
    const unsigned char* at = data + LEDGER_FILE_HEADER_SIZE;
    for (int i = 0; i < count; i++, at += LEDGER_FILE_ENTRY_SIZE) {
        if (!TextFieldValid(at))
            return LEDGER_FILE_BAD_TEXT;
        long long amount = (long long)GetNumber(at + LEDGER_TEXT_SIZE, 8);
        if (!AppendLedgerEntry(book, (const char*)at, amount))
            return LEDGER_FILE_BAD_AMOUNT;
    }
    long long closing = (long long)GetNumber(data + 8, 8);
    long long total = count > 0 ? book->entries[count - 1].balance : 0;
    return closing == total ? LEDGER_FILE_OK : LEDGER_FILE_BAD_BALANCE;
}

LedgerFileResult DecodeLedgerFile(const unsigned char* data, size_t size, LedgerBook* book)
{
    book->count = 0;
    if (size < LEDGER_FILE_HEADER_SIZE) {
        // A short file that starts like a ledger was cut off; anything
        // else is not ours.
        for (size_t i = 0; i < size && i < 4; i++) {
            if (data[i] != LEDGER_MAGIC[i])
                return LEDGER_FILE_NOT_LEDGER;
        }
        return size > 0 ? LEDGER_FILE_BAD_SIZE : LEDGER_FILE_NOT_LEDGER;
    }
    for (int i = 0; i < 4; i++) {
        if (data[i] != LEDGER_MAGIC[i])
            return LEDGER_FILE_NOT_LEDGER;
    }
    if (GetNumber(data + 4, 2) != LEDGER_FILE_VERSION)
        return LEDGER_FILE_OTHER_VERSION;
    unsigned long long count = GetNumber(data + 6, 2);
    if (count > (unsigned long long)LEDGER_MAX_ENTRIES)
        return LEDGER_FILE_TOO_MANY_ENTRIES;
    if (size != LEDGER_FILE_HEADER_SIZE + count * LEDGER_FILE_ENTRY_SIZE + 4)
        return LEDGER_FILE_BAD_SIZE;
    if (GetNumber(data + size - 4, 4) != LedgerFileChecksum(data, size - 4))
        return LEDGER_FILE_BAD_CHECKSUM;
    LedgerFileResult result = DecodeEntries(data, (int)count, book);
    if (result != LEDGER_FILE_OK)
        book->count = 0;
    return result;
}
