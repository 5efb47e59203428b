#include "payload_sum.h"

namespace {

// Filled on first use: the program carries no initialised data, and the
// zeroed table costs the file nothing.
uint32_t s_table[256];

void FillTable()
{
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value >> 1) ^ (0xEDB88320u & (0u - (value & 1u)));
        }
        s_table[i] = value;
    }
}

}  // namespace

uint32_t PayloadSum(uint32_t sum, const unsigned char* bytes, size_t count)
{
    if (s_table[1] == 0) {
        FillTable();
    }
    uint32_t crc = ~sum;
    for (size_t i = 0; i < count; ++i) {
        crc = s_table[(crc ^ bytes[i]) & 0xffu] ^ (crc >> 8);
    }
    return ~crc;
}
