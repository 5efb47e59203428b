// The files a description names: each entry's source and the licence, found,
// readable and within the setup's limits, each problem named by the line
// that names the file.
#include "description.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

#include "payload_sum.h"
#include "text_encoding.h"

namespace {

// The licence page reads the text into 32768 bytes with its terminator.
const size_t kLicenceLimit = 32767;

bool FileSize(const std::string& path, unsigned long long* size) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    *size = static_cast<unsigned long long>(st.st_size);
    return true;
}

// The packed stream's sum, read in pieces: a payload may be large.
bool FileSum(const std::string& path, uint32_t* sum) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    unsigned char piece[1 << 16];
    *sum = 0;
    size_t read;
    while ((read = std::fread(piece, 1, sizeof piece, file)) > 0) *sum = PayloadSum(*sum, piece, read);
    bool whole = std::ferror(file) == 0;
    std::fclose(file);
    return whole;
}

// What is wrong with a file the build must read, or empty when nothing is.
std::string Unusable(const std::string& shown, const std::string& path, unsigned long long* size) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        return "'" + shown + "' does not exist (looked for " + path + ")";
    }
    if (!S_ISREG(st.st_mode)) return "'" + shown + "' is not a file (" + path + ")";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return "'" + shown + "' cannot be read: " + std::strerror(errno) + " (" + path + ")";
    }
    std::fclose(file);
    *size = static_cast<unsigned long long>(st.st_size);
    return std::string();
}

void CheckLicence(Description* d) {
    if (d->licenceLine == 0) {
        Fail(*d, 0, "licence", "no licence: name the text file the licence page shows (licence FILE)");
        return;
    }
    std::string path = SourcePath(*d, d->licence);
    unsigned long long size = 0;
    std::string problem = Unusable(d->licence, path, &size);
    if (problem.empty() && path.find('"') != std::string::npos) {
        problem = "the path may not hold a double quote";
    }
    if (!problem.empty()) {
        Fail(*d, d->licenceLine, "licence", problem);
        return;
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int line = 0;
    ConversionFault fault;
    if (!ConvertLicence(bytes, &d->licenceText, &line, &fault)) {
        Fail(*d, d->licenceLine, "licence", d->licence + " line " + std::to_string(line) + ": " + fault.what);
    } else if (d->licenceText.empty()) {
        Fail(*d, d->licenceLine, "licence", "'" + d->licence + "' is empty; the licence page would show nothing");
    } else if (d->licenceText.size() > kLicenceLimit) {
        Fail(*d, d->licenceLine, "licence",
             "'" + d->licence + "' is " + std::to_string(d->licenceText.size()) +
                 " bytes as the page shows it (CR LF line ends); the licence page shows at most " +
                 std::to_string(kLicenceLimit));
    }
    d->licence = path;
}

}  // namespace

void CheckFiles(Description* d, CheckStage stage) {
    long count = static_cast<long>(d->entries.size());
    for (Entry& e : d->entries) {
        // What the build makes is there only once it is built.
        if (stage == kBeforeBuild && IsBuilt(e.source)) continue;
        std::string source = EntryPath(*d, e);
        // A signing build packs its signed copy of a ready-made program.
        std::string signedCopy = d->buildRoot + "/signed/" + e.file;
        if (!IsBuilt(e.source) && stage == kBuilt && FileSize(signedCopy, &e.unpacked)) source = signedCopy;
        // An empty file is a product file like any other.
        std::string problem = Unusable(e.source, source, &e.unpacked);
        if (!problem.empty()) {
            Fail(*d, e.line, "source", problem);
        } else if (e.unpacked > 0xffffffffULL) {
            Fail(*d, e.line, "source", "'" + e.source + "' is larger than 4 GB");
        }
        if (stage == kBeforeBuild) continue;
        std::string packed = d->buildRoot + "/payload/" + e.resource + ".lz";
        if (!FileSize(packed, &e.packed) || !FileSum(packed, &e.sum)) {
            Fail(*d, e.line, "source", "not packed: " + packed + " missing");
        }
    }
    CheckLicence(d);
    // The progress counters are 32-bit: the installed files together must fit.
    unsigned long long total = 0;
    for (long i = 0; i < d->installed && i < count; ++i) total += d->entries[i].unpacked;
    if (total > 0xffffffffULL) Fail(*d, d->installedLine, "installed", "files total more than 4 GB");
}
