#include "pe_headers.h"

#include <string.h>

namespace {

enum {
    kDosHeaderSize = 64,
    kNewHeaderField = 0x3c,  // e_lfanew
    kFileHeaderSize = 20,
    kSymbolTableField = 8,  // in the file header, after the signature
    kSectionSize = 40,
    kPe32Magic = 0x10b,
    kPe64Magic = 0x20b,  // a 64-bit program's: wider fields before the directories
    // Offsets in the optional header.
    kFileAlignmentField = 36,
    kSizeOfHeadersField = 60,
    kChecksumField = 64,
    kDirectories = 96,    // each after its count
    kDirectories64 = 112,
    // Offsets in a section header.
    kRawSizeField = 16,
    kRawPointerField = 20,
    // Directories that hold file offsets or live inside the headers.
    kImportDirectory = 1,
    kCertificateDirectory = 4,
    kDebugDirectory = 6,
    kBoundImportDirectory = 11,
    kAddressTableDirectory = 12,
    kDescriptorSize = 20,
    kDescriptorThunkField = 16,
    kVirtualSizeField = 8,
    kVirtualAddressField = 12,
};

void Write32(std::vector<unsigned char>* b, size_t at, unsigned value)
{
    for (int i = 0; i < 4; ++i)
        (*b)[at + i] = (unsigned char)(value >> (8 * i));
}

PeFixResult Refuse(std::string* why, const char* text)
{
    *why = text;
    return kPeRefused;
}

// Where the headers are, once they are known to lie within the image.
struct Layout {
    size_t optional;
    size_t table;
    unsigned sections;
    size_t directoryTable;
    unsigned directories;
    bool wide;  // a 64-bit program's, read for its resources only
};

bool ReadLayout(const std::vector<unsigned char>& b, Layout* layout)
{
    if (b.size() < kDosHeaderSize || b[0] != 'M' || b[1] != 'Z')
        return false;
    size_t pe = PeRead32(b, kNewHeaderField);
    if (pe < kDosHeaderSize || pe > b.size() || b.size() - pe < 4 + kFileHeaderSize ||
        memcmp(&b[pe], "PE\0\0", 4) != 0)
        return false;
    layout->sections = PeRead16(b, pe + 4 + 2);
    unsigned optionalSize = PeRead16(b, pe + 4 + 16);
    layout->optional = pe + 4 + kFileHeaderSize;
    layout->table = layout->optional + optionalSize;
    if (optionalSize < 2 || layout->table + (size_t)layout->sections * kSectionSize > b.size())
        return false;
    unsigned magic = PeRead16(b, layout->optional);
    size_t directories = magic == kPe32Magic ? kDirectories : magic == kPe64Magic ? kDirectories64 : 0;
    if (directories == 0 || optionalSize < directories)
        return false;
    layout->wide = magic == kPe64Magic;
    layout->directoryTable = layout->optional + directories;
    layout->directories = PeRead32(b, layout->directoryTable - 4);
    return optionalSize - directories >= 8 * (size_t)layout->directories;
}

// The file offset of n bytes at an address, or 0 when a section's file
// data does not hold them all.
size_t FileOffset(const std::vector<unsigned char>& b, const Layout& layout, unsigned rva,
                  unsigned n)
{
    for (unsigned s = 0; s < layout.sections; ++s) {
        size_t header = layout.table + s * kSectionSize;
        unsigned start = PeRead32(b, header + kVirtualAddressField);
        unsigned raw = PeRead32(b, header + kRawSizeField);
        unsigned pointer = PeRead32(b, header + kRawPointerField);
        if (rva >= start && rva - start <= raw && raw - (rva - start) >= n && pointer != 0 &&
            pointer <= b.size() && b.size() - pointer >= raw)
            return pointer + (rva - start);
    }
    return 0;
}

}  // namespace

PeFixResult RecordImportDirectory(std::vector<unsigned char>* image, std::string* why)
{
    std::vector<unsigned char>& b = *image;
    Layout layout;
    if (!ReadLayout(b, &layout) || layout.wide || layout.directories <= kAddressTableDirectory)
        return Refuse(why, "not a 32-bit PE image with an address table directory");
    size_t imports = layout.directoryTable + 8 * kImportDirectory;
    size_t table = layout.directoryTable + 8 * kAddressTableDirectory;
    unsigned tableRva = PeRead32(b, table), tableSize = PeRead32(b, table + 4);
    if (PeRead32(b, imports) != 0 || tableSize == 0)
        return kPeKept;
    // Back from the terminator, one descriptor at a time, to the one whose
    // addresses start the table; every one on the way must lie in it.
    unsigned end = tableRva;
    unsigned at = end - kDescriptorSize;
    size_t terminator = 0;
    if (tableRva >= kDescriptorSize)
        terminator = FileOffset(b, layout, at, kDescriptorSize);
    if (terminator == 0)
        return Refuse(why, "no import descriptors before the address table");
    for (int i = 0; i < kDescriptorSize; ++i) {
        if (b[terminator + i] != 0)
            return Refuse(why, "the address table does not follow the descriptors' terminator");
    }
    for (;;) {
        if (at < kDescriptorSize)
            return Refuse(why, "no import descriptor starts the address table");
        at -= kDescriptorSize;
        size_t descriptor = FileOffset(b, layout, at, kDescriptorSize);
        unsigned thunks = descriptor ? PeRead32(b, descriptor + kDescriptorThunkField) : 0;
        if (thunks < tableRva || thunks >= tableRva + tableSize)
            return Refuse(why, "a descriptor before the address table does not point into it");
        if (thunks == tableRva)
            break;
    }
    Write32(image, imports, at);
    Write32(image, imports + 4, end - at);
    size_t checksum = layout.optional + kChecksumField;
    Write32(image, checksum, PeChecksum(*image, checksum));
    return kPeChanged;
}

unsigned PeRead16(const std::vector<unsigned char>& image, size_t at)
{
    return image[at] | image[at + 1] << 8;
}

unsigned PeRead32(const std::vector<unsigned char>& image, size_t at)
{
    return image[at] | image[at + 1] << 8 | image[at + 2] << 16 | (unsigned)image[at + 3] << 24;
}

bool PeDirectory(const std::vector<unsigned char>& image, unsigned index, unsigned* rva,
                 unsigned* size)
{
    Layout layout;
    if (!ReadLayout(image, &layout) || index >= layout.directories)
        return false;
    size_t at = layout.directoryTable + 8 * (size_t)index;
    *rva = PeRead32(image, at);
    *size = PeRead32(image, at + 4);
    return true;
}

size_t PeFileOffset(const std::vector<unsigned char>& image, unsigned rva, unsigned n)
{
    Layout layout;
    return ReadLayout(image, &layout) ? FileOffset(image, layout, rva, n) : 0;
}

unsigned PeChecksum(const std::vector<unsigned char>& image, size_t checksumOffset)
{
    unsigned long long sum = 0;
    for (size_t i = 0; i < image.size(); i += 2) {
        if (i == checksumOffset || i == checksumOffset + 2)
            continue;
        unsigned word = image[i] | (i + 1 < image.size() ? image[i + 1] << 8 : 0);
        sum += word;
        sum = (sum & 0xffff) + (sum >> 16);
    }
    sum = (sum & 0xffff) + (sum >> 16);
    return (unsigned)(sum + image.size());
}

PeFixResult PackPeHeaders(std::vector<unsigned char>* image, std::string* why)
{
    const std::vector<unsigned char>& old = *image;
    Layout layout;
    if (!ReadLayout(old, &layout) || layout.wide)
        return Refuse(why, "not a 32-bit PE image");
    size_t pe = PeRead32(old, kNewHeaderField);
    const size_t optional = layout.optional;
    size_t headersEnd = layout.table + (size_t)layout.sections * kSectionSize;
    if (PeRead32(old, pe + 4 + kSymbolTableField) != 0)
        return Refuse(why, "the image keeps a symbol table, which is found by file offset");
    const int fileOffsetDirectories[] = {kCertificateDirectory, kDebugDirectory,
                                         kBoundImportDirectory};
    for (int d : fileOffsetDirectories) {
        size_t sizeAt = layout.directoryTable + 8 * d + 4;
        if ((unsigned)d < layout.directories && PeRead32(old, sizeAt) != 0)
            return Refuse(why, "a signature, debug data or bound imports lie at file offsets: "
                               "pack the headers before signing");
    }
    unsigned alignment = PeRead32(old, optional + kFileAlignmentField);
    unsigned oldHeaders = PeRead32(old, optional + kSizeOfHeadersField);
    if (alignment == 0 || (alignment & (alignment - 1)) != 0 || oldHeaders % alignment != 0 ||
        oldHeaders < headersEnd || oldHeaders > old.size())
        return Refuse(why, "the headers' size is not a whole number of file blocks");
    for (size_t i = headersEnd; i < oldHeaders; ++i) {
        if (old[i] != 0)
            return Refuse(why, "something follows the section table inside the headers");
    }
    for (unsigned s = 0; s < layout.sections; ++s) {
        size_t header = layout.table + s * kSectionSize;
        unsigned pointer = PeRead32(old, header + kRawPointerField);
        unsigned size = PeRead32(old, header + kRawSizeField);
        bool outside = pointer < oldHeaders || pointer > old.size() || size > old.size() - pointer;
        if (size != 0 && outside)
            return Refuse(why, "a section's data lies outside the file or inside the headers");
    }

    size_t ntSize = headersEnd - pe;
    size_t newHeaders = (kDosHeaderSize + ntSize + alignment - 1) / alignment * alignment;
    if (newHeaders >= oldHeaders)
        return kPeKept;
    size_t shift = oldHeaders - newHeaders;

    std::vector<unsigned char> packed(old.begin(), old.begin() + kDosHeaderSize);
    packed.insert(packed.end(), old.begin() + pe, old.begin() + headersEnd);
    packed.resize(newHeaders, 0);
    packed.insert(packed.end(), old.begin() + oldHeaders, old.end());
    Write32(&packed, kNewHeaderField, kDosHeaderSize);
    size_t newOptional = kDosHeaderSize + 4 + kFileHeaderSize;
    Write32(&packed, newOptional + kSizeOfHeadersField, (unsigned)newHeaders);
    size_t newTable = newOptional + (layout.table - optional);
    for (unsigned s = 0; s < layout.sections; ++s) {
        size_t field = newTable + s * kSectionSize + kRawPointerField;
        unsigned pointer = PeRead32(packed, field);
        if (pointer != 0)
            Write32(&packed, field, pointer - (unsigned)shift);
    }
    size_t checksum = newOptional + kChecksumField;
    Write32(&packed, checksum, PeChecksum(packed, checksum));
    image->swap(packed);
    return kPeChanged;
}
