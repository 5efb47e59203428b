// UTF-8 in, Windows-1252 out: the code page the setup's texts are shown in
// (its version record and every window say 1252).
#include "text_encoding.h"

#include <cstdint>
#include <cstdio>

namespace {

// Bytes 0x80 to 0x9F of Windows-1252; 0 where the code page has no character.
const uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

std::string Hex(unsigned value, int digits)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, value);
    return buf;
}

// One character at at; its length in bytes, or 0 when the bytes there are
// not UTF-8 (stray continuation, cut short, overlong, surrogate, too large).
size_t DecodeOne(const std::string& s, size_t at, uint32_t* code)
{
    unsigned char lead = static_cast<unsigned char>(s[at]);
    size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                                    : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || at + length > s.size()) return 0;
    uint32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (size_t i = 1; i < length; ++i) {
        unsigned char next = static_cast<unsigned char>(s[at + i]);
        if ((next & 0xC0) != 0x80) return 0;
        c = (c << 6) | (next & 0x3F);
    }
    static const uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    *code = c;
    return length;
}

int ToCodePage(uint32_t code)
{
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return int(code);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == code) return 0x80 + i;
    }
    return -1;
}

}  // namespace

bool Utf8ToWindows1252(const std::string& utf8, std::string* out, ConversionFault* fault)
{
    out->clear();
    for (size_t at = 0; at < utf8.size();) {
        uint32_t code = 0;
        size_t length = DecodeOne(utf8, at, &code);
        if (length == 0) {
            fault->offset = at;
            fault->what = "byte 0x" + Hex(static_cast<unsigned char>(utf8[at]), 2) +
                          " is not UTF-8; save the file as UTF-8";
            return false;
        }
        int byte = ToCodePage(code);
        if (byte < 0) {
            fault->offset = at;
            fault->what = "'" + utf8.substr(at, length) + "' (U+" + Hex(code, 4) +
                          ") is not in Windows-1252, the code page the setup shows its texts "
                          "in; write it another way";
            return false;
        }
        *out += static_cast<char>(byte);
        at += length;
    }
    return true;
}

std::string Windows1252ToUtf8(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        uint32_t code = c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : c;
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

bool ConvertLicence(const std::string& bytes, std::string* out, int* line, ConversionFault* fault)
{
    out->clear();
    *line = 1;
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                              (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
        fault->offset = 0;
        fault->what = "is UTF-16; save it as UTF-8";
        return false;
    }
    size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::string text;
    for (size_t at = start; at <= bytes.size(); ++at) {
        if (at < bytes.size() && bytes[at] != '\n') continue;
        std::string raw = bytes.substr(start, at - start);
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        if (!Utf8ToWindows1252(raw, &text, fault)) return false;
        for (size_t i = 0; i < text.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            // The page shows the text in an edit control, which stops at a
            // NUL and draws other controls as boxes; a page break means
            // nothing there and goes.
            if (c == '\f') continue;
            if ((c < 0x20 && c != '\t') || c == 0x7F) {
                fault->offset = i;
                fault->what = "holds the control character 0x" + Hex(c, 2);
                return false;
            }
            *out += static_cast<char>(c);
        }
        if (at < bytes.size()) {
            *out += "\r\n";
            ++*line;
        }
        start = at + 1;
    }
    return true;
}
