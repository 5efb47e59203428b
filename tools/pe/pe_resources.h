// A named resource of a linked 32-bit PE image, found through its resource
// directory as Windows finds it, for the host tools' checks of a setup.
#ifndef VANTOR_PE_RESOURCES_H
#define VANTOR_PE_RESOURCES_H

#include <stddef.h>

#include <string>
#include <vector>

enum { kPeRcData = 10 };  // RT_RCDATA

// The file offset and size of the data of resource `name` (ASCII, compared
// without case, as Windows compares it) of type `type`, in its first
// language. False with *why saying what is missing or out of bounds.
bool FindPeResource(const std::vector<unsigned char>& image, unsigned type, const std::string& name,
                    size_t* offset, size_t* size, std::string* why);

#endif
