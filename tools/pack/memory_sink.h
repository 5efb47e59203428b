// Byte sink of the decoder that collects the output in memory, for the
// packer's checks, the tests and the benchmarks.
#ifndef VANTOR_MEMORY_SINK_H
#define VANTOR_MEMORY_SINK_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

struct MemorySink {
    unsigned char* data;     // the output
    size_t capacity;         // bytes that fit at data
    size_t count;            // bytes received since EmptyOutputBuffer
    size_t overrun;          // of those, bytes beyond capacity or outputLeft (dropped)
    unsigned emptyCalls;
    unsigned flushCalls;
};

extern MemorySink g_memorySink;

// Decodes one headerless stream into *out (resized to unpackedSize). False
// when the decoder handed over a different number of bytes than asked for.
bool DecodeToMemory(const unsigned char* packed, size_t packedSize,
                    uint32_t unpackedSize, std::vector<unsigned char>* out);

#endif
