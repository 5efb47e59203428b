#ifndef VANTOR_NUMBER_TEXT_H
#define VANTOR_NUMBER_TEXT_H

#include <stdint.h>

enum { kNumberTextSize = 14 };  // "4,294,967,295" and its terminator

// Decimal digits with "," between groups of three: 376832 gives 376,832.
void FormatThousands(uint32_t value, char out[kNumberTextSize]);

#endif
