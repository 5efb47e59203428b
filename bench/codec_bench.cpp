// Packer and decoder speed and size on a corpus of real files.
//
//   vantor-bench [FILE...]
//
// Without arguments the corpus comes from this machine: licence texts,
// package copyright files, Windows executables and DLLs shipped with Wine,
// a font and a native shared library; missing ones are left out.
#include <dirent.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "lzhuf_decoder.h"
#include "lzhuf_encoder.h"
#include "memory_sink.h"

namespace {

typedef std::vector<unsigned char> Bytes;
typedef std::chrono::steady_clock Clock;

// Each measurement repeats until it has run at least this long.
const double kMinSeconds = 0.25;

bool ReadFile(const std::string& path, Bytes* data)
{
    int error;
    return ReadFileBytes(path.c_str(), data, &error);
}

long FileSize(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return (long)st.st_size;
}

std::vector<std::string> List(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                names.push_back(dir + "/" + e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string FirstFontUnder(const std::string& dir)
{
    for (const std::string& p : List(dir)) {
        if (FileSize(p) > 0 && (p.size() > 4 && p.compare(p.size() - 4, 4, ".ttf") == 0))
            return p;
        if (FileSize(p) < 0) {
            std::string found = FirstFontUnder(p);
            if (!found.empty())
                return found;
        }
    }
    return "";
}

std::vector<std::string> DefaultCorpus()
{
    std::vector<std::string> files;
    for (const std::string& p : List("/usr/share/common-licenses"))
        if (FileSize(p) > 0)
            files.push_back(p);

    int copyrights = 0;
    for (const std::string& p : List("/usr/share/doc")) {
        std::string c = p + "/copyright";
        if (FileSize(c) > 4000 && copyrights < 8) {
            files.push_back(c);
            copyrights++;
        }
    }

    // Executables of about the size of a real product, from small to large.
    const std::string win = "/usr/lib/i386-linux-gnu/wine/i386-windows/";
    for (const char* name : {"notepad.exe", "regedit.exe", "winecfg.exe", "comdlg32.dll",
                             "kernel32.dll", "user32.dll", "comctl32.dll"})
        if (FileSize(win + name) > 0)
            files.push_back(win + name);

    std::string font = FirstFontUnder("/usr/share/fonts");
    if (!font.empty())
        files.push_back(font);
    if (FileSize("/usr/lib/x86_64-linux-gnu/libstdc++.so.6") > 0)
        files.push_back("/usr/lib/x86_64-linux-gnu/libstdc++.so.6");
    return files;
}

// Seconds per run of f, repeated for at least kMinSeconds.
template <typename F>
double TimePerRun(F f)
{
    int runs = 0;
    Clock::time_point start = Clock::now();
    double elapsed;
    do {
        f();
        runs++;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < kMinSeconds);
    return elapsed / runs;
}

std::string ShortName(const std::string& path)
{
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name == "copyright" && slash != std::string::npos) {
        size_t prev = path.rfind('/', slash - 1);
        name = path.substr(prev + 1, slash - prev - 1) + "/copyright";
    }
    return name.size() > 28 ? name.substr(0, 28) : name;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> files;
    for (int i = 1; i < argc; i++)
        files.push_back(argv[i]);
    if (files.empty())
        files = DefaultCorpus();
    if (files.empty()) {
        fprintf(stderr, "vantor-bench: no files given and none found\n");
        return 1;
    }

    printf("%-28s %9s %9s %6s %9s %9s %9s %9s %7s\n", "file", "bytes", "packed", "ratio",
           "pack MB/s", "dec MB/s", "greedy", "lazy", "gain");
    double totalIn = 0, totalPackSec = 0, totalDecSec = 0;
    size_t totalPacked = 0, totalGreedy = 0, totalLazy = 0;
    int failures = 0;
    for (const std::string& path : files) {
        Bytes in, packed, greedy, lazy, out;
        if (!ReadFile(path, &in) || in.empty()) {
            fprintf(stderr, "vantor-bench: skipping '%s' (unreadable or empty)\n", path.c_str());
            continue;
        }
        double packSec = TimePerRun([&] { EncodeLzhuf(in.data(), in.size(), &packed); });
        EncodeLzhuf(in.data(), in.size(), &greedy, kParseGreedy);
        EncodeLzhuf(in.data(), in.size(), &lazy, kParseLazy);
        bool exact = true;
        double decSec = TimePerRun([&] {
            exact = DecodeToMemory(packed.data(), packed.size(), (uint32_t)in.size(), &out) &&
                    exact;
        });
        if (!exact || out != in) {
            fprintf(stderr, "vantor-bench: '%s' does not decode to itself\n", path.c_str());
            failures++;
        }
        double mb = in.size() / 1e6;
        printf("%-28s %9zu %9zu %5.1f%% %9.1f %9.1f %9zu %9zu %6.2f%%\n", ShortName(path).c_str(),
               in.size(), packed.size(), 100.0 * packed.size() / in.size(), mb / packSec,
               mb / decSec, greedy.size(), lazy.size(),
               100.0 * ((double)greedy.size() - (double)packed.size()) / greedy.size());
        totalIn += in.size();
        totalPackSec += packSec;
        totalDecSec += decSec;
        totalPacked += packed.size();
        totalGreedy += greedy.size();
        totalLazy += lazy.size();
    }
    printf("%-28s %9.0f %9zu %5.1f%% %9.1f %9.1f %9zu %9zu %6.2f%%\n", "total", totalIn,
           totalPacked, 100.0 * totalPacked / totalIn, totalIn / 1e6 / totalPackSec,
           totalIn / 1e6 / totalDecSec, totalGreedy, totalLazy,
           100.0 * ((double)totalGreedy - (double)totalPacked) / totalGreedy);
    printf("packed = smaller of greedy and lazy; gain = saving over greedy\n");
    return failures == 0 ? 0 : 1;
}
