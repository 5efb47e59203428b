// libFuzzer target for the payload decoder: whatever the packed bytes and
// the unpacked size, it must hand exactly that many bytes to the sink and
// stay inside its input.
//
// Input: 4 bytes that give the unpacked size (below), then the packed stream.
// ctest runs a short pass with sizes up to 4 KiB. A longer run, from the
// build folder, with sizes up to 1 MiB so that tree rebuilds come into play:
//   mkdir -p fuzz-corpus && VANTOR_FUZZ_MAX_SIZE=1048576 ./fuzz-decoder \
//       -max_len=65536 -max_total_time=3600 -jobs=2 -workers=2 fuzz-corpus
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <vector>

#include "lzhuf_decoder.h"

namespace {

// Real payloads stay well below the upper cap. Sanitised, instrumented
// decoding runs at about 1.5 MB/s, so the default keeps to the ring's size.
const uint32_t kDefaultMaxSize = 4096;
const uint32_t kUpperMaxSize = 1u << 20;

uint32_t g_maxSize = kDefaultMaxSize;
uint64_t g_received;
bool g_emptied;
bool g_flushed;

}  // namespace

void EmptyOutputBuffer()
{
    g_emptied = true;
}

void PutOutputByte(HWND__*, unsigned char)
{
    if (!g_emptied || g_flushed || g_decoder.outputLeft == 0)
        abort();  // a byte outside the payload, or beyond its size
    g_received++;
    g_decoder.outputLeft--;
}

void FlushOutput(HWND__*)
{
    g_flushed = true;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (const char* text = getenv("VANTOR_FUZZ_MAX_SIZE")) {
        unsigned long value = strtoul(text, nullptr, 10);
        g_maxSize = value > kUpperMaxSize ? kUpperMaxSize : (uint32_t)value;
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    // The top five bits shift the low 24 down, so that sizes spread evenly
    // over the orders of magnitude instead of nearly all being near the cap.
    uint32_t raw = (uint32_t)data[0] | (uint32_t)data[1] << 8 | (uint32_t)data[2] << 16 |
                   (uint32_t)data[3] << 24;
    uint32_t unpacked = (raw & 0xFFFFFF) >> (raw >> 27);
    if (unpacked > g_maxSize)
        unpacked = g_maxSize;

    // A copy of exactly the packed bytes, so that reading one byte too many
    // is a heap overflow that the address sanitizer reports.
    std::vector<uint8_t> packed(data + 4, data + size);
    g_received = 0;
    g_emptied = g_flushed = false;
    g_decoder.input = packed.data();
    g_decoder.inputLeft = (uint32_t)packed.size();
    g_decoder.outputLeft = unpacked;
    DecodePayload(nullptr);

    if (g_received != unpacked || g_decoder.outputLeft != 0 || !g_flushed)
        abort();
    if (g_decoder.inputLeft > packed.size() ||
        g_decoder.input != packed.data() + (packed.size() - g_decoder.inputLeft))
        abort();
    return 0;
}
