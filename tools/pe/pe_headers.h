// What the linker leaves undone in the setup's 32-bit PE image, for the
// host build: it always writes a DOS program before the headers and pads
// them to the file alignment, so dropping the program can save one block
// of the file; and it records the import directory only for a section of
// its own, which would cost another.
#ifndef VANTOR_PE_HEADERS_H
#define VANTOR_PE_HEADERS_H

#include <string>
#include <vector>

enum PeFixResult {
    kPeChanged,  // done
    kPeKept,     // nothing to do: the image is unchanged
    kPeRefused,  // not an image this can change safely; unchanged, *why says why
};

// Rewrites the image in memory, smaller by at least one block when it
// says kPeChanged. The sections' file data moves up by the
// blocks saved; everything the loader finds by address stays where it
// was, and the header checksum is made again.
PeFixResult PackPeHeaders(std::vector<unsigned char>* image, std::string* why);

// Records the import directory of an image whose linker left it empty
// because the import tables share a section with the code: the import
// descriptors end, with an all-zero one, right before the address table,
// which the linker does record. kPeKept when the directory is set
// already or the image imports nothing; the checksum is made again.
PeFixResult RecordImportDirectory(std::vector<unsigned char>* image, std::string* why);

// Where data directory `index` lies (its address and size); false when the
// image is no PE image, 32- or 64-bit, or has no such directory.
bool PeDirectory(const std::vector<unsigned char>& image, unsigned index, unsigned* rva,
                 unsigned* size);

// The file offset of n bytes at an address, or 0 when no section's file
// data holds them all.
size_t PeFileOffset(const std::vector<unsigned char>& image, unsigned rva, unsigned n);

// Little-endian words of an image; the caller has bounded `at`.
unsigned PeRead16(const std::vector<unsigned char>& image, size_t at);
unsigned PeRead32(const std::vector<unsigned char>& image, size_t at);

// The PE checksum of an image as Windows computes it: the 16-bit sum with
// carries folded back, over every byte but the checksum field, plus the
// file's length.
unsigned PeChecksum(const std::vector<unsigned char>& image, size_t checksumOffset);

#endif
