#ifndef VANTOR_NUMBER_TEXT_H
#define VANTOR_NUMBER_TEXT_H

#include <stdint.h>

enum { kNumberTextSize = 14 };  // "4,294,967,295" and its terminator

// Decimal digits with "," between groups of three: 376832 gives 376,832.
void FormatThousands(uint32_t value, char out[kNumberTextSize]);

// A version as "major.minor" (".minor" may be left out), each part one to
// nine digits: "3.02" gives 3 and 2. False, with both 0, for anything else.
bool ReadVersion(const char* text, uint32_t* major, uint32_t* minor);

// Whether the installed version is newer than ours, major first, then
// minor, as numbers; a version that does not read is newer than none.
bool IsNewerVersion(const char* installed, const char* ours);

#endif
