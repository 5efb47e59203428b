// Packer and decoder speed and size on a corpus of real files.
//
//   vantor-bench [FILE...]
//
// Without arguments the corpus is the demo product's payload files (from
// the Windows build tree, when it has been built) and files from this
// machine: licence texts, package copyright files, Windows executables and
// DLLs shipped with Wine, a font and a native shared library; missing ones
// are left out. Speeds are per second of processor time, that is on one
// core, however many threads the packer uses.
#include <dirent.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "lzhuf_decoder.h"
#include "lzhuf_encoder.h"
#include "memory_sink.h"
#include "payload_sum.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// Each measurement repeats until it has run at least this long.
const double kMinSeconds = 0.2;

double CpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

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

// The payload files as the Windows build packs them.
std::vector<std::string> DemoPayloads()
{
    std::vector<std::string> files;
    for (const std::string& p : List(VANTOR_SOURCE_DIR "/build/win32/product-files"))
        if (FileSize(p) > 0 && p.compare(p.size() - 12, 12, "/license.txt") != 0)
            files.push_back(p);
    return files;
}

// The machine's files by kind, since the packer's gain differs by kind.
struct Corpus {
    const char* title;
    std::vector<std::string> files;
};

std::vector<Corpus> MachineCorpus()
{
    Corpus texts = {"real files: texts", {}};
    for (const std::string& p : List("/usr/share/common-licenses"))
        if (FileSize(p) > 0)
            texts.files.push_back(p);
    int copyrights = 0;
    for (const std::string& p : List("/usr/share/doc")) {
        std::string c = p + "/copyright";
        if (FileSize(c) > 4000 && copyrights < 8) {
            texts.files.push_back(c);
            copyrights++;
        }
    }

    // Executables of about the size of a real product, from small to large.
    Corpus programs = {"real files: executables and DLLs", {}};
    const std::string win = "/usr/lib/i386-linux-gnu/wine/i386-windows/";
    for (const char* name : {"notepad.exe", "regedit.exe", "winecfg.exe", "comdlg32.dll",
                             "kernel32.dll", "user32.dll", "comctl32.dll"})
        if (FileSize(win + name) > 0)
            programs.files.push_back(win + name);

    Corpus other = {"real files: a font and an ELF library", {}};
    std::string font = FirstFontUnder("/usr/share/fonts");
    if (!font.empty())
        other.files.push_back(font);
    if (FileSize("/usr/lib/x86_64-linux-gnu/libstdc++.so.6") > 0)
        other.files.push_back("/usr/lib/x86_64-linux-gnu/libstdc++.so.6");
    return {texts, programs, other};
}

// Processor seconds per run of f, repeated for at least kMinSeconds.
template <typename F>
double TimePerRun(F f)
{
    int runs = 0;
    double start = CpuSeconds(), elapsed;
    do {
        f();
        runs++;
        elapsed = CpuSeconds() - start;
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

struct Totals {
    double bytes;
    double packed[3];      // greedy, lazy (-1), best (-9)
    double packSec[3];
    double decSec;
    double sumSec;         // the setup's start check over the best streams
    int greedyWins;        // files where greedy beat lazy
    int bestLarger;        // files where -9 came out above lazy
    int failures;
};

const LzhufParse kParses[3] = {kParseGreedy, kParseLazy, kParseBest};

void PrintHeader(const char* title)
{
    printf("\n%s\n%-28s %9s %9s %9s %9s %7s %7s %7s %7s %7s\n", title, "file", "bytes",
           "greedy", "lazy -1", "best -9", "-9/-1", "MB/s gr", "MB/s -1", "MB/s -9", "dec");
}

void PrintRow(const char* name, double bytes, const double packed[3], const double sec[3],
              double decSec)
{
    double mb = bytes / 1e6;
    printf("%-28s %9.0f %9.0f %9.0f %9.0f %7.4f %7.1f %7.1f %7.1f %7.1f\n", name, bytes,
           packed[0], packed[1], packed[2], packed[2] / packed[1], mb / sec[0], mb / sec[1],
           mb / sec[2], mb / decSec);
}

void PrintTotal(const char* name, const Totals& t)
{
    if (t.bytes == 0)
        return;
    PrintRow(name, t.bytes, t.packed, t.packSec, t.decSec);
    printf("greedy smaller than lazy on %d file(s); -9 larger than lazy on %d file(s)\n",
           t.greedyWins, t.bestLarger);
}

// Packs each file at every parse, checks the best stream decodes to the
// file, and prints one row a file and one for the set.
void MeasureSet(const char* title, const std::vector<std::string>& files, Totals* all)
{
    Totals set = {};
    PrintHeader(title);
    for (const std::string& path : files) {
        Bytes in, packed[3], out;
        if (!ReadFile(path, &in) || in.empty()) {
            fprintf(stderr, "vantor-bench: skipping '%s' (unreadable or empty)\n", path.c_str());
            continue;
        }
        double size[3], sec[3];
        for (int k = 0; k < 3; k++) {
            sec[k] = TimePerRun([&] { EncodeLzhuf(in.data(), in.size(), &packed[k], kParses[k]); });
            size[k] = (double)packed[k].size();
            set.packed[k] += size[k];
            set.packSec[k] += sec[k];
        }
        const Bytes& best = packed[2];
        bool exact = true;
        double decSec = TimePerRun([&] {
            exact = DecodeToMemory(best.data(), best.size(), (uint32_t)in.size(), &out) && exact;
        });
        if (!exact || out != in) {
            fprintf(stderr, "vantor-bench: '%s' does not decode to itself\n", path.c_str());
            set.failures++;
        }
        volatile uint32_t sum = 0;
        set.sumSec += TimePerRun([&] { sum = PayloadSum(0, best.data(), best.size()); });
        set.greedyWins += size[0] < size[1];
        set.bestLarger += size[2] > size[1];
        set.bytes += in.size();
        set.decSec += decSec;
        PrintRow(ShortName(path).c_str(), in.size(), size, sec, decSec);
    }
    PrintTotal("total", set);
    all->bytes += set.bytes;
    for (int k = 0; k < 3; k++) {
        all->packed[k] += set.packed[k];
        all->packSec[k] += set.packSec[k];
    }
    all->decSec += set.decSec;
    all->sumSec += set.sumSec;
    all->greedyWins += set.greedyWins;
    all->bestLarger += set.bestLarger;
    all->failures += set.failures;
}

}  // namespace

int main(int argc, char** argv)
{
    Totals all = {};
    if (argc > 1) {
        MeasureSet("files given", std::vector<std::string>(argv + 1, argv + argc), &all);
    } else {
        MeasureSet("demo payloads", DemoPayloads(), &all);
        // What the setup's check of its own payload costs at each start.
        printf("the setup's start check sums the demo's %.0f packed bytes in %.3f ms\n",
               all.packed[2], all.sumSec * 1000);
        Totals real = {};
        for (const Corpus& corpus : MachineCorpus())
            MeasureSet(corpus.title, corpus.files, &real);
        printf("\n");
        PrintTotal("real files of this machine", real);
        all.bytes += real.bytes;
        all.failures += real.failures;
    }
    if (all.bytes == 0) {
        fprintf(stderr, "vantor-bench: no files given and none found\n");
        return 1;
    }
    printf("\nsizes in bytes; -9/-1 = best level over lazy; MB/s per processor second\n");
    return all.failures == 0 ? 0 : 1;
}
