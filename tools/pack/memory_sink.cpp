#include "memory_sink.h"

#include "lzhuf_decoder.h"

MemorySink g_memorySink;

void EmptyOutputBuffer()
{
    g_memorySink.count = 0;
    g_memorySink.overrun = 0;
    g_memorySink.emptyCalls++;
}

void PutOutputByte(HWND__*, unsigned char c)
{
    MemorySink& s = g_memorySink;
    s.count++;
    // A byte beyond the size is the decoder's fault; it is counted, and the
    // remaining count stays at 0 so that the decoder still stops.
    if (s.count > s.capacity || g_decoder.outputLeft == 0) {
        s.overrun++;
        return;
    }
    s.data[s.count - 1] = c;
    g_decoder.outputLeft--;
}

void FlushOutput(HWND__*)
{
    g_memorySink.flushCalls++;
}

bool DecodeToMemory(const unsigned char* packed, size_t packedSize,
                    uint32_t unpackedSize, std::vector<unsigned char>* out)
{
    out->assign(unpackedSize, 0);
    g_memorySink.data = out->data();
    g_memorySink.capacity = out->size();

    g_decoder.input = packed;
    g_decoder.inputLeft = packedSize > UINT32_MAX ? UINT32_MAX : (uint32_t)packedSize;
    g_decoder.outputLeft = unpackedSize;
    DecodePayload(nullptr);

    g_memorySink.data = nullptr;
    g_memorySink.capacity = 0;
    return g_memorySink.count == unpackedSize && g_memorySink.overrun == 0 &&
           g_decoder.outputLeft == 0;
}
