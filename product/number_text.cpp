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

bool ReadVersion(const char* text, uint32_t* major, uint32_t* minor)
{
    uint32_t parts[2] = {0, 0};
    int part = 0;
    int digits = 0;
    for (;; ++text) {
        if (*text >= '0' && *text <= '9' && digits < 9) {
            parts[part] = parts[part] * 10 + (uint32_t)(*text - '0');
            ++digits;
        } else if (*text == '.' && part == 0 && digits > 0) {
            part = 1;
            digits = 0;
        } else {
            break;
        }
    }
    // A tenth digit, or anything but the end after the last part.
    bool read = *text == '\0' && digits > 0;
    *major = read ? parts[0] : 0;
    *minor = read ? parts[1] : 0;
    return read;
}

bool IsNewerVersion(const char* installed, const char* ours)
{
    uint32_t major, minor, ourMajor, ourMinor;
    if (!ReadVersion(installed, &major, &minor) || !ReadVersion(ours, &ourMajor, &ourMinor)) {
        return false;
    }
    return major != ourMajor ? major > ourMajor : minor > ourMinor;
}
