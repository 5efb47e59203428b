#include "pe_icon_group.h"

#include <stdint.h>

#include "pe_headers.h"
#include "pe_resources.h"

namespace {

enum {
    kIconDirSize = 6,  // reserved, type, count: the same in a group and a file
    kIconType = 1,     // 2 would be a cursor
    kGroupEntrySize = 14,
    kFileEntrySize = 16,
    kEntrySizeField = 8,  // in both kinds of entry
    kGroupIdField = 12,
};

void Put16(std::vector<unsigned char>* b, unsigned value)
{
    b->push_back((unsigned char)value);
    b->push_back((unsigned char)(value >> 8));
}

void Put32(std::vector<unsigned char>* b, uint32_t value)
{
    Put16(b, value & 0xffff);
    Put16(b, value >> 16);
}

bool Fail(std::string* why, const std::string& text)
{
    *why = text;
    return false;
}

}  // namespace

bool ReadPeIconGroup(const std::vector<unsigned char>& image, std::vector<unsigned char>* ico,
                     std::string* why)
{
    ico->clear();
    size_t group, groupSize;
    if (!FindFirstPeResource(image, kPeGroupIcon, &group, &groupSize, why))
        return false;
    if (groupSize < kIconDirSize || PeRead16(image, group) != 0 ||
        PeRead16(image, group + 2) != kIconType)
        return Fail(why, "the first icon group does not start as an icon directory");
    unsigned count = PeRead16(image, group + 4);
    size_t room = (groupSize - kIconDirSize) / kGroupEntrySize;
    if (count == 0)
        return Fail(why, "the first icon group names no icons");
    if (count > room)
        return Fail(why, "the first icon group counts " + std::to_string(count) +
                             " icons but holds " + std::to_string(room));
    std::vector<size_t> offsets(count), sizes(count);
    uint64_t total = 0;
    for (unsigned i = 0; i < count; ++i) {
        size_t entry = group + kIconDirSize + (size_t)i * kGroupEntrySize;
        unsigned id = PeRead16(image, entry + kGroupIdField);
        std::string missing;
        if (!FindPeResourceById(image, kPeIcon, id, &offsets[i], &sizes[i], &missing))
            return Fail(why, "the first icon group names icon " + std::to_string(id) + ": " +
                                 missing);
        if (sizes[i] == 0)
            return Fail(why, "icon " + std::to_string(id) + " of the first icon group is empty");
        // Each image lies in the file, but a group could name one many
        // times over; a real group names each once. The file's offsets
        // are 32-bit.
        total += sizes[i];
        if (total > image.size() || total > UINT32_MAX - kIconDirSize - count * kFileEntrySize)
            return Fail(why, "the first icon group names more image data than the file holds");
    }
    Put16(ico, 0);
    Put16(ico, kIconType);
    Put16(ico, count);
    uint32_t at = kIconDirSize + count * kFileEntrySize;
    for (unsigned i = 0; i < count; ++i) {
        size_t entry = group + kIconDirSize + (size_t)i * kGroupEntrySize;
        ico->insert(ico->end(), image.begin() + entry, image.begin() + entry + kEntrySizeField);
        // The image's own size: a reader of the file takes that many bytes
        // at the offset, whatever the group claimed.
        Put32(ico, (uint32_t)sizes[i]);
        Put32(ico, at);
        at += (uint32_t)sizes[i];
    }
    for (unsigned i = 0; i < count; ++i)
        ico->insert(ico->end(), image.begin() + offsets[i], image.begin() + offsets[i] + sizes[i]);
    return true;
}
