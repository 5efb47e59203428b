#include "number_text.h"

void FormatThousands(uint32_t value, char out[kNumberTextSize])
{
    char reversed[kNumberTextSize];
    int n = 0;
    int digits = 0;
    for (;;) {
        reversed[n++] = (char)('0' + value % 10);
        value /= 10;
        ++digits;
        if (value == 0) {
            break;
        }
        if (digits % 3 == 0) {
            reversed[n++] = ',';
        }
    }
    for (int i = 0; i < n; ++i) {
        out[i] = reversed[n - 1 - i];
    }
    out[n] = '\0';
}
