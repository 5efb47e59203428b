// A resource of a linked PE image (32- or 64-bit), found through its resource
// directory as Windows finds it, for the host tools: the setup's checks and
// the icon taken from a publisher's program.
#ifndef VANTOR_PE_RESOURCES_H
#define VANTOR_PE_RESOURCES_H

#include <stddef.h>

#include <string>
#include <vector>

enum {
    kPeIcon = 3,        // RT_ICON: one image, numbered
    kPeRcData = 10,     // RT_RCDATA
    kPeGroupIcon = 14,  // RT_GROUP_ICON: the directory of an icon's images
};

// Each answers the file offset and size of a resource's data, in its first
// language, or false with *why saying what is missing or out of bounds.

// Resource `name` (ASCII, compared without case, as Windows compares it).
bool FindPeResource(const std::vector<unsigned char>& image, unsigned type, const std::string& name,
                    size_t* offset, size_t* size, std::string* why);

// The resource numbered `id`, a 16-bit number.
bool FindPeResourceById(const std::vector<unsigned char>& image, unsigned type, unsigned id,
                        size_t* offset, size_t* size, std::string* why);

// The first of the type's directory, named or numbered: the one Windows
// shows for a program's icon group.
bool FindFirstPeResource(const std::vector<unsigned char>& image, unsigned type, size_t* offset,
                         size_t* size, std::string* why);

#endif
