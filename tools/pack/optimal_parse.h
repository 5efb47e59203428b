// Price-based parse: the cheapest way through the input by the adaptive
// code's current prices, over every match length the finder offers.
#ifndef VANTOR_OPTIMAL_PARSE_H
#define VANTOR_OPTIMAL_PARSE_H

#include <stddef.h>

#include "lzhuf_coder.h"
#include "match_finder.h"

// Writes the input from *pos on into run until *pos reaches until (a last
// match may run past it). choices[k] belongs to the position tableFrom + k,
// for positions below tableEnd, which must lie kLongestMatch or more beyond
// until unless it is the end of the input.
void PriceParse(CoderRun* run, const unsigned char* in, const MatchChoices* choices,
                size_t tableFrom, size_t tableEnd, size_t* pos, size_t until);

#endif
