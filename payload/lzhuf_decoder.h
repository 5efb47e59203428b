// LZHUF decoder for the packed payload resources: LZSS over a 4096-byte ring,
// literals and lengths in one adaptive Huffman tree, offsets in a fixed
// prefix code. Needs no Windows headers: the window is only passed through
// to the byte sink.
#ifndef VANTOR_LZHUF_DECODER_H
#define VANTOR_LZHUF_DECODER_H

#include <stdint.h>

struct HWND__;

enum {
    kRingSize = 4096,
    kLongestMatch = 60,
    kMatchThreshold = 2,
    kSymbolCount = 256 - kMatchThreshold + kLongestMatch,  // 314
    kTreeNodes = 2 * kSymbolCount - 1,                     // 627
    kRootNode = kTreeNodes - 1,
    kRebuildLimit = 0x8000,
    kRingStart = kRingSize - kLongestMatch,                // 4036
};

struct DecoderState {
    const unsigned char* input;     // next packed byte
    uint32_t inputLeft;             // packed bytes left
    uint32_t outputLeft;            // bytes still to produce; lowered by the sink
    uint16_t bitBuffer;             // next bit in the most significant place
    uint16_t bitCount;
    uint16_t writePos;
    unsigned char ring[kRingSize];
    uint16_t freq[kTreeNodes + 1];  // last entry is a sentinel
    uint16_t child[kTreeNodes];     // first child, or symbol + kTreeNodes for a leaf
    uint16_t parent[kTreeNodes + kSymbolCount];
    uint32_t treeRebuilds;          // since start-up, never reset; tests read it
};

extern DecoderState g_decoder;

// The fixed prefix code of an offset's upper six bits, read from the first
// byte of the offset's code: the upper bits, and the prefix's length in
// bits (3 to 8). The published decoding tables, computed rather than
// stored.
struct OffsetPrefix {
    unsigned upper;
    unsigned length;
};
OffsetPrefix ReadOffsetPrefix(unsigned firstByte);

// Decodes one payload from g_decoder.input / inputLeft until outputLeft
// bytes have gone to the sink. Never produces more than outputLeft bytes and
// always ends, whatever the input.
void DecodePayload(HWND__* page);

// The byte sink, supplied by whoever links the decoder (the installation
// pass in the setup program, a memory sink in tools and tests).
void EmptyOutputBuffer();                          // before the first byte
void PutOutputByte(HWND__* page, unsigned char c); // stores c, lowers outputLeft
void FlushOutput(HWND__* page);                    // after the last byte

#endif
