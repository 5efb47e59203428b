// The checksum the build stores for each packed payload stream and the
// setup compares before it writes anything: CRC-32 with the reflected
// polynomial 0xEDB88320, as zip files use, so that a damaged or cut
// download is known at start.
#ifndef VANTOR_PAYLOAD_SUM_H
#define VANTOR_PAYLOAD_SUM_H

#include <stddef.h>
#include <stdint.h>

// The resource that holds one sum per payload entry, in table order, each
// four bytes, lowest first.
#define PAYLOAD_SUMS_RESOURCE "PAYLOADSUMS"

// The sum of bytes following on from sum, which is 0 for the first piece.
uint32_t PayloadSum(uint32_t sum, const unsigned char* bytes, size_t count);

#endif
