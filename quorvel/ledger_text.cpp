#include "ledger_text.h"

static bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool ParseAmount(const char* text, long long* cents)
{
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        p++;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        p++;
    }
    long long whole = 0;
    int digits = 0;
    for (; IsDigit(*p) || (*p == ',' && digits > 0); p++) {
        if (*p == ',')
            continue;
        if (digits == LEDGER_WHOLE_DIGITS)
            return false;
        whole = whole * 10 + (*p - '0');
        digits++;
    }
    long long fraction = 0;
    int places = 0;
    if (*p == '.') {
        for (p++; IsDigit(*p); p++) {
            if (places == 2)
                return false;
            fraction = fraction * 10 + (*p - '0');
            places++;
        }
    }
    if (digits == 0 && places == 0)
        return false;
    while (*p == ' ' || *p == '\t')
        p++;
    if (*p != '\0')
        return false;
    if (places == 1)
        fraction *= 10;
    long long value = whole * 100 + fraction;
    *cents = negative ? -value : value;
    return true;
}

void FormatAmount(long long cents, char* out, int size)
{
    // Built backwards from the last digit; unsigned so that the most
    // negative value has a magnitude too.
    char reversed[LEDGER_AMOUNT_TEXT_SIZE];
    int n = 0;
    unsigned long long magnitude = cents < 0 ? 0ull - (unsigned long long)cents
                                             : (unsigned long long)cents;
    reversed[n++] = (char)('0' + magnitude % 10);
    magnitude /= 10;
    reversed[n++] = (char)('0' + magnitude % 10);
    magnitude /= 10;
    reversed[n++] = '.';
    int group = 0;
    do {
        if (group == 3) {
            reversed[n++] = ',';
            group = 0;
        }
        reversed[n++] = (char)('0' + magnitude % 10);
        magnitude /= 10;
        group++;
    } while (magnitude != 0);
    if (cents < 0)
        reversed[n++] = '-';

    int written = 0;
    while (n > 0 && written < size - 1)
        out[written++] = reversed[--n];
    out[written] = '\0';
}
