// vantor-pack: packs a file into the headerless LZHUF stream that the setup
// program stores as a payload resource, or unpacks one for checking.
//
//   vantor-pack pack [-1|-9] IN OUT
//   vantor-pack unpack IN OUT SIZE
//   vantor-pack verify SETUP MANIFEST RESOURCE SOURCE [RESOURCE SOURCE]...
//   vantor-pack icon PROGRAM FALLBACK OUT
//
// -1 packs fast (lazy matching); -9, the default, prices every choice and
// keeps whichever of that and the lazy stream is smaller.
//
// verify checks a finished setup against the files it was packed from (see
// setup_verify.h); MANIFEST is the generated manifest.txt.
//
// icon writes PROGRAM's first icon group as an .ico file, or a copy of
// FALLBACK when PROGRAM is no PE image or its icon group is missing or
// broken, and says which it took and why.
//
// OUT appears under its name only when complete: it is written beside it
// under a temporary name and renamed into place.
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "file_bytes.h"
#include "lzhuf_decoder.h"
#include "lzhuf_encoder.h"
#include "memory_sink.h"
#include "pe_icon_group.h"
#include "setup_verify.h"

namespace {

enum { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

const char kUsage[] =
    "usage: vantor-pack pack [-1|-9] IN OUT\n"
    "       vantor-pack unpack IN OUT SIZE\n"
    "       vantor-pack verify SETUP MANIFEST RESOURCE SOURCE [RESOURCE SOURCE]...\n"
    "       vantor-pack icon PROGRAM FALLBACK OUT\n"
    "  -1  fast: lazy matching\n"
    "  -9  smallest: priced parse, never larger than -1 (the default)\n";

// A payload entry holds both sizes in 32 bits.
const uint64_t kLargestPayload = UINT32_MAX;

// The level option: "-1" or "-9".
bool ParseLevel(const char* text, LzhufParse* parse)
{
    if (strcmp(text, "-1") == 0)
        *parse = kParseLazy;
    else if (strcmp(text, "-9") == 0)
        *parse = kParseBest;
    else
        return false;
    return true;
}

// Refused before reading: such a file would take its size in memory
// several times over only to be turned down.
bool FitsAPayload(const char* path)
{
    struct stat st;
    if (stat(path, &st) != 0 || (uint64_t)st.st_size <= kLargestPayload)
        return true;  // reading will tell what is wrong, if anything
    fprintf(stderr, "vantor-pack: '%s' is too large for a payload: %llu bytes, the most is %llu\n",
            path, (unsigned long long)st.st_size, (unsigned long long)kLargestPayload);
    return false;
}

bool ReadWholeFile(const char* path, std::vector<unsigned char>* data)
{
    int error = 0;
    if (!ReadFileBytes(path, data, &error)) {
        fprintf(stderr, "vantor-pack: cannot read '%s': %s\n", path, strerror(error));
        return false;
    }
    return true;
}

bool WriteWholeFile(const char* path, const std::vector<unsigned char>& data)
{
    std::string temp = std::string(path) + ".tmp-" + std::to_string((long)getpid());
    FILE* f = fopen(temp.c_str(), "wb");
    if (!f) {
        fprintf(stderr, "vantor-pack: cannot create '%s': %s\n", temp.c_str(), strerror(errno));
        return false;
    }
    bool ok = data.empty() || fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = fflush(f) == 0 && ok;
    int writeErrno = errno;
    ok = fclose(f) == 0 && ok;
    if (ok && rename(temp.c_str(), path) != 0) {
        writeErrno = errno;
        ok = false;
    }
    if (!ok) {
        fprintf(stderr, "vantor-pack: cannot write '%s': %s\n", path, strerror(writeErrno));
        remove(temp.c_str());
    }
    return ok;
}

// A plain decimal number that fits a payload entry's 32-bit size: digits
// only, no sign, no blanks.
bool ParseSize(const char* text, uint32_t* size)
{
    uint64_t value = 0;
    if (*text == '\0')
        return false;
    for (const char* p = text; *p; p++) {
        if (*p < '0' || *p > '9')
            return false;
        value = value * 10 + (uint64_t)(*p - '0');
        if (value > UINT32_MAX)
            return false;
    }
    *size = (uint32_t)value;
    return true;
}

int Pack(LzhufParse parse, const char* inPath, const char* outPath)
{
    std::vector<unsigned char> in, packed, check;
    if (!FitsAPayload(inPath) || !ReadWholeFile(inPath, &in))
        return kExitFailed;
    if (!EncodeLzhuf(in.data(), in.size(), &packed, parse) || packed.size() > kLargestPayload) {
        fprintf(stderr, "vantor-pack: '%s' does not fit a payload entry (%zu bytes, packed %zu)\n",
                inPath, in.size(), packed.size());
        return kExitFailed;
    }
    // A wrong resource would only show at install time; decoding is cheap.
    if (!DecodeToMemory(packed.data(), packed.size(), (uint32_t)in.size(), &check) ||
        check != in) {
        fprintf(stderr, "vantor-pack: internal error: '%s' does not unpack to its input\n",
                inPath);
        return kExitFailed;
    }
    if (!WriteWholeFile(outPath, packed))
        return kExitFailed;
    printf("%s: %zu -> %zu bytes\n", inPath, in.size(), packed.size());
    return kExitOk;
}

int Unpack(const char* inPath, const char* outPath, const char* sizeText)
{
    uint32_t size;
    if (!ParseSize(sizeText, &size)) {
        fprintf(stderr, "vantor-pack: SIZE must be a decimal number of bytes up to %u, not '%s'\n",
                (unsigned)UINT32_MAX, sizeText);
        return kExitUsage;
    }
    std::vector<unsigned char> packed, out;
    if (!ReadWholeFile(inPath, &packed))
        return kExitFailed;
    if (!DecodeToMemory(packed.data(), packed.size(), size, &out)) {
        fprintf(stderr, "vantor-pack: internal error: decoder did not give %u bytes\n",
                (unsigned)size);
        return kExitFailed;
    }
    // A stream of this format always reads its last byte; bytes left over
    // mean SIZE or the file does not belong to this stream.
    if (g_decoder.inputLeft != 0)
        fprintf(stderr, "vantor-pack: warning: %u of %zu packed bytes not used\n",
                (unsigned)g_decoder.inputLeft, packed.size());
    if (!WriteWholeFile(outPath, out))
        return kExitFailed;
    printf("%s: %zu -> %zu bytes\n", inPath, packed.size(), out.size());
    return kExitOk;
}

int Icon(const char* programPath, const char* fallbackPath, const char* outPath)
{
    std::vector<unsigned char> program, fallback, icon;
    if (!ReadWholeFile(programPath, &program) || !ReadWholeFile(fallbackPath, &fallback))
        return kExitFailed;
    std::string why;
    bool taken = ReadPeIconGroup(program, &icon, &why);
    if (!WriteWholeFile(outPath, taken ? icon : fallback))
        return kExitFailed;
    if (taken)
        printf("%s: the icon of %s, %u images\n", outPath, programPath, icon[4] | icon[5] << 8);
    else
        printf("%s: the painted icon %s, as %s has none: %s\n", outPath, fallbackPath,
               programPath, why.c_str());
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && strcmp(argv[1], "pack") == 0) {
        LzhufParse parse = kParseBest;
        int next = 2;
        if (argc > next && argv[next][0] == '-' && argv[next][1] != '\0') {
            if (!ParseLevel(argv[next], &parse)) {
                fprintf(stderr, "vantor-pack: unknown option '%s': the level is -1 or -9\n%s",
                        argv[next], kUsage);
                return kExitUsage;
            }
            next++;
        }
        if (argc - next == 2)
            return Pack(parse, argv[next], argv[next + 1]);
    }
    if (argc == 5 && strcmp(argv[1], "unpack") == 0)
        return Unpack(argv[2], argv[3], argv[4]);
    if (argc >= 6 && argc % 2 == 0 && strcmp(argv[1], "verify") == 0)
        return VerifySetup(argv[2], argv[3], argc - 4, argv + 4);
    if (argc == 5 && strcmp(argv[1], "icon") == 0)
        return Icon(argv[2], argv[3], argv[4]);
    fputs(kUsage, stderr);
    return kExitUsage;
}
