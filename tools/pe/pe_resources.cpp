#include "pe_resources.h"

#include "pe_headers.h"

namespace {

enum {
    kResourceDirectory = 2,
    kTableSize = 16,  // a directory table before its entries
    kNamedCountField = 12,
    kEntrySize = 8,
    kDataEntrySize = 16,
    kHighBit = 0x80000000u,
    kLongestName = 256,  // resource names of ours are short; this bounds the compare
};

// The resource section as read: every offset in it is from its start, and
// each read is mapped to the file and bounded on its own.
struct Tree {
    const std::vector<unsigned char>* image;
    unsigned base;  // the directory's address
    unsigned size;
};

size_t At(const Tree& t, unsigned offset, unsigned n)
{
    if (offset > t.size || t.size - offset < n)
        return 0;
    return PeFileOffset(*t.image, t.base + offset, n);
}

bool SameName(const Tree& t, unsigned offset, const std::string& name)
{
    size_t length = At(t, offset, 2);
    if (length == 0 || PeRead16(*t.image, length) != name.size() || name.size() > kLongestName)
        return false;
    size_t chars = At(t, offset + 2, (unsigned)name.size() * 2);
    if (chars == 0)
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned c = PeRead16(*t.image, chars + 2 * i);
        unsigned want = (unsigned char)name[i];
        if (c >= 'a' && c <= 'z')
            c -= 'a' - 'A';
        if (want >= 'a' && want <= 'z')
            want -= 'a' - 'A';
        if (c != want)
            return false;
    }
    return true;
}

// The entry of directory `table` that matches: the first one when `name`
// and `id` are both unset (a language). Its target, with the high bit
// telling a subdirectory, or false.
bool Lookup(const Tree& t, unsigned table, const std::string* name, int id, unsigned* target)
{
    size_t header = At(t, table, kTableSize);
    if (header == 0)
        return false;
    unsigned named = PeRead16(*t.image, header + kNamedCountField);
    unsigned count = named + PeRead16(*t.image, header + kNamedCountField + 2);
    for (unsigned i = 0; i < count; ++i) {
        size_t entry = At(t, table + kTableSize + i * kEntrySize, kEntrySize);
        if (entry == 0)
            return false;
        unsigned key = PeRead32(*t.image, entry);
        bool match = name ? (key & kHighBit) && SameName(t, key & ~kHighBit, *name)
                   : id >= 0 ? !(key & kHighBit) && key == (unsigned)id
                             : true;
        if (match) {
            *target = PeRead32(*t.image, entry + 4);
            return true;
        }
    }
    return false;
}

// The resource of `type` named `name`, or numbered `id` when that is
// set, or else the first; `label` names it in *why.
bool Find(const std::vector<unsigned char>& image, unsigned type, const std::string* name, int id,
          const std::string& label, size_t* offset, size_t* size, std::string* why)
{
    Tree t = {&image, 0, 0};
    if (!PeDirectory(image, kResourceDirectory, &t.base, &t.size) || t.size == 0) {
        *why = "no resource directory: not a PE image with resources";
        return false;
    }
    unsigned byType, byName, language;
    if (!Lookup(t, 0, nullptr, (int)type, &byType) || !(byType & kHighBit)) {
        *why = "no resources of type " + std::to_string(type);
        return false;
    }
    if (!Lookup(t, byType & ~kHighBit, name, id, &byName) || !(byName & kHighBit)) {
        *why = "no resource " + label;
        return false;
    }
    if (!Lookup(t, byName & ~kHighBit, nullptr, -1, &language) || (language & kHighBit)) {
        *why = "resource " + label + " has no data entry";
        return false;
    }
    size_t entry = At(t, language, kDataEntrySize);
    unsigned dataRva = entry ? PeRead32(image, entry) : 0;
    unsigned dataSize = entry ? PeRead32(image, entry + 4) : 0;
    size_t data = entry ? PeFileOffset(image, dataRva, dataSize) : 0;
    if (data == 0) {
        *why = "the data of resource " + label + " lies outside the file";
        return false;
    }
    *offset = data;
    *size = dataSize;
    return true;
}

}  // namespace

bool FindPeResource(const std::vector<unsigned char>& image, unsigned type, const std::string& name,
                    size_t* offset, size_t* size, std::string* why)
{
    return Find(image, type, &name, -1, "named " + name, offset, size, why);
}

bool FindPeResourceById(const std::vector<unsigned char>& image, unsigned type, unsigned id,
                        size_t* offset, size_t* size, std::string* why)
{
    return Find(image, type, nullptr, (int)(id & 0xffff), "numbered " + std::to_string(id),
                offset, size, why);
}

bool FindFirstPeResource(const std::vector<unsigned char>& image, unsigned type, size_t* offset,
                         size_t* size, std::string* why)
{
    return Find(image, type, nullptr, -1, "first of type " + std::to_string(type), offset, size,
                why);
}
