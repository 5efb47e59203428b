// A program's icon as an .ico file, taken from its PE image (32- or 64-bit), so that
// a setup can show its product's main program's icon.
#ifndef VANTOR_PE_ICON_GROUP_H
#define VANTOR_PE_ICON_GROUP_H

#include <string>
#include <vector>

// The image's first icon group (the first entry of its RT_GROUP_ICON
// directory, named or numbered, in its first language) as the bytes of an
// .ico file: the group's entries, each with its image's file offset in
// place of its resource id, then the images in the group's order. False
// with *why saying what is missing or broken; *ico is then empty.
bool ReadPeIconGroup(const std::vector<unsigned char>& image, std::vector<unsigned char>* ico,
                     std::string* why);

#endif
