// The product description as the build tools read it: the manifest's
// fields, the publisher's texts, the painter's texts and the pictures.
// vantor-manifest checks and writes it; paint-resources paints from it.
#ifndef VANTOR_TOOLS_DESCRIPTION_H
#define VANTOR_TOOLS_DESCRIPTION_H

#include <map>
#include <string>
#include <vector>

struct Entry {
    int line;
    std::string target, resource, caption, source;
    unsigned long flags;
    unsigned long long unpacked, packed;
};

// Entry 0's source: Vantor's own uninstaller, built for the product.
constexpr const char* kUninstallerSource = "@uninstaller";

// A base folder starting so lies in the machine's 32-bit Program Files
// folder, which the setup finds when it proposes the destination.
constexpr const char* kProgramFilesToken = "{ProgramFiles}";

// A file the description names, with the line that names it.
struct NamedFile {
    std::string source;
    int line;
};

struct Description {
    std::string path;
    std::string name, version, tagline, publisher, webPage, timestamp;
    // The setup's own constants: the installer's name, the default base
    // folder and the output file's name.
    std::string installer = "Vantor", base, output = "Setup.exe";
    int installerLine = 0, baseLine = 0, outputLine = 0;
    // The publisher's texts. Texts of several lines take them separated
    // by "|" on one key.
    std::string support, homePage, copyright;
    // The licence text the licence page shows.
    std::string licence;
    std::vector<std::string> rights, visit;
    // What the painter writes into the pictures it makes.
    std::string banner, slogan, sideband;
    // Pictures of the publisher's own, by the setup's picture name.
    std::map<std::string, NamedFile> pictures;
    // Every picture's file as the checks resolved it, brought or painted.
    std::map<std::string, std::string> resolved;
    std::vector<std::string> preserved;
    int preserveLine = 0;
    int nameLine = 0, versionLine = 0, taglineLine = 0, publisherLine = 0, webPageLine = 0,
        timestampLine = 0, weekdayLine = 0, installedLine = 0, shortcutsLine = 0;
    int licenceLine = 0, supportLine = 0, homePageLine = 0, copyrightLine = 0, rightsLine = 0, visitLine = 0,
        bannerLine = 0, sloganLine = 0, sidebandLine = 0;
    long weekday = 0, installed = 0, shortcuts = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millis = 0;
    std::vector<Entry> entries;
};

// Reports one problem as "file:line: field: what" and counts it.
void Fail(const Description& d, int line, const char* field, const std::string& what);
int ProblemCount();

std::string Trim(const std::string& s);
bool ParseNumber(const std::string& s, long* out);
// False only when the file cannot be read; problems in it are reported.
bool ReadDescription(Description* d);
// A "@" source is built by the build tree, any other lies in the product's
// folder; "@uninstaller" is Vantor's own, built for the product under the
// name its entry gives it.
std::string SourcePath(const std::string& source, const std::string& sourceRoot,
                       const std::string& buildRoot);
std::string EntryPath(const Entry& e, const std::string& sourceRoot, const std::string& buildRoot);

// The checks; each problem is reported through Fail. The identity checks
// need no files; the others read the product's files and pictures and
// fill in their sizes and paths. A check before the build skips what the
// build makes: "@" files, packed payloads and painted pictures.
void CheckIdentity(Description* d);
void CheckFiles(Description* d, const std::string& sourceRoot, const std::string& buildRoot,
                bool built = true);
void CheckPictures(Description* d, const std::string& sourceRoot, const std::string& buildRoot,
                   bool built = true);
// The uninstaller's icon alone, for the programs built before the setup.
void CheckUninstallerIcon(Description* d, const std::string& sourceRoot, const std::string& buildRoot);

#endif
