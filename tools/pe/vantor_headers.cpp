// vantor-headers: records a linked 32-bit PE image's import directory and
// packs its headers into as few file blocks as they need, in place (see
// pe_headers.h). Run before signing.
//
//   vantor-headers IMAGE
//
// The image is rewritten beside itself under a temporary name and renamed
// into place, so a failure leaves it as it was.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "file_bytes.h"
#include "pe_headers.h"

namespace {

enum { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

bool WriteWhole(const std::string& path, const std::vector<unsigned char>& data)
{
    std::string temporary = path + ".tmp";
    FILE* f = fopen(temporary.c_str(), "wb");
    if (!f)
        return false;
    bool written = fwrite(data.data(), 1, data.size(), f) == data.size();
    written = fclose(f) == 0 && written;
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fputs("usage: vantor-headers IMAGE\n", stderr);
        return kExitUsage;
    }
    const char* path = argv[1];
    std::vector<unsigned char> image;
    int error = 0;
    if (!ReadFileBytes(path, &image, &error)) {
        fprintf(stderr, "vantor-headers: %s: %s\n", path, strerror(error));
        return kExitFailed;
    }
    size_t before = image.size();
    std::string why;
    PeFixResult imports = RecordImportDirectory(&image, &why);
    PeFixResult headers = imports == kPeRefused ? kPeRefused : PackPeHeaders(&image, &why);
    if (headers == kPeRefused) {
        fprintf(stderr, "vantor-headers: %s: %s\n", path, why.c_str());
        return kExitFailed;
    }
    if (imports == kPeKept && headers == kPeKept)
        return kExitOk;
    if (!WriteWhole(path, image)) {
        fprintf(stderr, "vantor-headers: %s: %s\n", path, strerror(errno));
        return kExitFailed;
    }
    printf("vantor-headers: %s: %zu bytes, %zu fewer\n", path, image.size(), before - image.size());
    return kExitOk;
}
