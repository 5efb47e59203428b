#include "setup_verify.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "lzhuf_decoder.h"
#include "memory_sink.h"
#include "pe_resources.h"

namespace {

// The sizes on the manifest table's line of a resource: "INDEX TARGET FLAGS
// RESOURCE CAPTION UNPACKED PACKED". Targets and captions may hold blanks,
// so the resource is the word after the flags (0xNN) and the sizes are the
// last two words.
bool ManifestSizes(const char* manifest, const std::string& resource, unsigned long long* unpacked,
                   unsigned long long* packed)
{
    std::ifstream in(manifest);
    std::string line, word;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> w;
        while (words >> word)
            w.push_back(word);
        if (w.size() < 7 || w[0].find_first_not_of("0123456789") != std::string::npos)
            continue;
        for (size_t i = 2; i + 3 < w.size(); ++i) {
            if (w[i].size() == 4 && w[i].compare(0, 2, "0x") == 0 && w[i + 1] == resource) {
                *unpacked = strtoull(w[w.size() - 2].c_str(), nullptr, 10);
                *packed = strtoull(w.back().c_str(), nullptr, 10);
                return true;
            }
        }
    }
    return false;
}

// How the packed bytes at `data` differ from the source's, or empty.
std::string Difference(const unsigned char* data, size_t size, const std::vector<unsigned char>& source)
{
    if (source.size() > UINT32_MAX)
        return "the source is larger than a payload can be";
    std::vector<unsigned char> out;
    bool whole = DecodeToMemory(data, size, (uint32_t)source.size(), &out);
    size_t left = g_decoder.inputLeft;
    for (size_t i = 0; i < source.size(); ++i) {
        // What the decoder made before it ran out counts; the rest is zeros.
        if (out[i] != source[i] && (whole || i < g_memorySink.count))
            return "decodes to other bytes from offset " + std::to_string(i);
    }
    if (!whole)
        return "ends before the source's " + std::to_string(source.size()) + " bytes";
    // The stream always reads its last byte: bytes left over are more data.
    if (left != 0)
        return "holds more than the source's " + std::to_string(source.size()) + " bytes (" +
               std::to_string(left) + " packed bytes left over)";
    return std::string();
}

// What is wrong with one resource of the setup, or empty; where it lies
// and its source's size either way.
std::string CheckResource(const std::vector<unsigned char>& image, const char* manifest,
                          const char* resource, const char* path, size_t* offset, size_t* size,
                          size_t* sourceSize)
{
    std::vector<unsigned char> source;
    int error = 0;
    std::string why;
    if (!ReadFileBytes(path, &source, &error))
        return std::string("cannot read its source: ") + strerror(error);
    *sourceSize = source.size();
    if (!FindPeResource(image, kPeRcData, resource, offset, size, &why))
        return why;
    why = Difference(&image[*offset], *size, source);
    if (!why.empty())
        return why;
    unsigned long long unpacked = 0, packed = 0;
    if (!ManifestSizes(manifest, resource, &unpacked, &packed))
        return std::string("not in the manifest ") + manifest;
    if (unpacked != source.size() || packed != *size)
        return "the manifest says " + std::to_string(unpacked) + " bytes packed to " +
               std::to_string(packed) + ", the setup carries " + std::to_string(source.size()) +
               " packed to " + std::to_string(*size);
    return why;
}

}  // namespace

int VerifySetup(const char* setup, const char* manifest, int count, char** pairs)
{
    std::vector<unsigned char> image;
    int error = 0;
    if (!ReadFileBytes(setup, &image, &error)) {
        fprintf(stderr, "vantor-pack: cannot read '%s': %s\n", setup, strerror(error));
        return 1;
    }
    int faults = 0;
    for (int i = 0; i + 1 < count; i += 2) {
        size_t offset = 0, size = 0, sourceSize = 0;
        std::string why =
            CheckResource(image, manifest, pairs[i], pairs[i + 1], &offset, &size, &sourceSize);
        if (!why.empty()) {
            fprintf(stderr, "vantor-pack: %s: resource %s, from %s: %s\n", setup, pairs[i],
                    pairs[i + 1], why.c_str());
            faults++;
        } else {
            printf("%s: %zu bytes at 0x%zx, as %s (%zu bytes)\n", pairs[i], size, offset,
                   pairs[i + 1], sourceSize);
        }
    }
    if (faults == 0)
        return 0;
    // Kept for a look, under a name no one ships.
    std::string rejected = std::string(setup) + ".rejected";
    if (rename(setup, rejected.c_str()) != 0) {
        fprintf(stderr, "vantor-pack: cannot rename '%s' aside: %s; delete it\n", setup, strerror(errno));
        return 1;
    }
    fprintf(stderr, "vantor-pack: %d of %d resources differ from their sources: the setup is now %s\n",
            faults, count / 2, rejected.c_str());
    return 1;
}
