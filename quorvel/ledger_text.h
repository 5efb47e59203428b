// Reading and writing ledger amounts. Free of Windows so the host can test it.
#ifndef QUORVEL_LEDGER_TEXT_H
#define QUORVEL_LEDGER_TEXT_H

// Amounts are whole cents. Ten digits before the point keep every sum of a
// full ledger far inside 64 bits.
const int LEDGER_WHOLE_DIGITS = 10;
// The largest magnitude that parsing gives, in cents: ten nines and two.
const long long LEDGER_AMOUNT_LIMIT = 999999999999LL;
// "-" + 19 digits + 6 separators + "." + NUL, the longest a 64-bit value needs.
const int LEDGER_AMOUNT_TEXT_SIZE = 28;

// Reads "[sign]digits[.d[d]]" with optional "," group separators and
// surrounding blanks, e.g. "-1,250.5". False, and cents untouched, for
// anything else (empty, more than two decimals, too many digits, other
// characters).
bool ParseAmount(const char* text, long long* cents);

// Writes cents as "-1,234.56" into out (size bytes, at least 1), truncated
// if out is too small but always terminated.
void FormatAmount(long long cents, char* out, int size);

#endif
