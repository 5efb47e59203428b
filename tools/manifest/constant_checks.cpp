// The product constants a publisher sets beside the manifest: the version's
// form, the installer's name, the default base folder and the output file,
// and the product's name as the folder and group the pages propose. The
// folder rules are the pages' own, so the build refuses exactly what the
// folder and group pages would.
#include "description.h"

#include <cctype>
#include <cstdlib>

#include "location_rules.h"
#include "path_helpers.h"

namespace {

const size_t kInstallerWidth = 32, kOutputWidth = 64;
// Destination paths and the files in them fit the pass's 260-byte buffers.
const size_t kFolderSlot = 256, kPathBuffer = 260;
// How the setup's longest 32-bit Program Files folder reads, for checking a
// base under it before the machine is known.
const char* const kProgramFilesStandIn = "C:\\Program Files (x86)";

// The version records take two 16-bit numbers, the uninstall entry the text.
void CheckVersion(const Description& d) {
    size_t dot = d.version.find('.');
    bool ok = dot != std::string::npos && dot > 0 && dot + 1 < d.version.size();
    for (size_t i = 0; ok && i < d.version.size(); ++i) {
        ok = i == dot || std::isdigit(static_cast<unsigned char>(d.version[i]));
    }
    if (ok) {
        ok = std::strtoul(d.version.c_str(), nullptr, 10) <= 65535 &&
             std::strtoul(d.version.c_str() + dot + 1, nullptr, 10) <= 65535;
    }
    if (!ok && !d.version.empty()) {
        Fail(d, d.versionLine, "version",
             "'" + d.version + "' is not major.minor such as 3.02: the version records hold two "
             "numbers from 0 to 65535");
    }
}

// The destination the folder page proposes, and the group the group page
// proposes, are named after the product.
void CheckNameAsFolder(const Description& d) {
    std::string problem = FolderNameRule(d.name);
    if (!problem.empty() && !d.name.empty()) {
        Fail(d, d.nameLine, "name",
             Quote(d.name) + " " + problem + "; the setup names the product's folder and program group after it");
    }
}

std::string LocationProblem(LocationVerdict verdict) {
    switch (verdict) {
    case kLocationNoDrive:
    case kLocationEmpty:
    case kLocationRootDrive: return "must start with a drive such as C:\\ or with {ProgramFiles}";
    case kLocationBadDrive: return "names a drive that is not a letter A to Z";
    case kLocationTooLong: return "makes a destination too long for the setup's 255-character folders";
    case kLocationDeviceName: return "holds a device name Windows reserves (CON, NUL, COM1 ...)";
    default:
        return "holds a folder name Windows refuses or rewrites: empty (\\\\), . or .., ending in a "
               "dot or a space, or with / : * ? \" < > |";
    }
}

// The base folder: a fixed path, or the machine's 32-bit Program Files
// folder and folders under it. Checked as the folder page checks the
// destination it makes of it, with the product's name joined.
void CheckBase(Description* d) {
    const char* field = d->baseLine ? "base" : "publisher";
    int line = d->baseLine ? d->baseLine : d->publisherLine;
    if (d->baseLine == 0) d->base = "C:\\" + d->publisher;
    std::string path = d->base;
    const std::string token = kProgramFilesToken;
    if (path.compare(0, token.size(), token) == 0) {
        std::string rest = path.substr(token.size());
        if (!rest.empty() && rest[0] != '\\') {
            Fail(*d, line, field, Quote(d->base) + ": a backslash must follow " + token);
            return;
        }
        path = kProgramFilesStandIn + rest;
    } else if (path.find('{') != std::string::npos) {
        Fail(*d, line, field, Quote(d->base) + ": the only folder in braces is " + token);
        return;
    } else if (path.size() == 2 && path[1] == ':') {
        // Joined with the name it would pass, but alone it names the
        // drive's current folder, which is not what the publisher meant.
        Fail(*d, line, field, Quote(d->base) + " is the drive's current folder, not a folder on it: write " +
                                  path + "\\ and a folder, such as " + path + "\\" + d->publisher);
        return;
    }
    char joined[kFolderSlot];
    char destination[kFolderSlot];
    LocationVerdict verdict = kLocationTooLong;
    if (JoinPath(joined, sizeof joined, path.c_str(), d->name.c_str(), false)) {
        verdict = MakeDestination(destination, sizeof destination, joined, d->name.c_str());
    }
    size_t longest = 0;
    for (const Entry& e : d->entries) {
        if ((e.flags & 0x02) == 0 && e.target.size() > longest) longest = e.target.size();
    }
    if (verdict == kLocationAccepted && std::string(destination).size() + 1 + longest >= kPathBuffer) {
        verdict = kLocationTooLong;
    }
    if (verdict != kLocationAccepted) {
        std::string what = d->baseLine ? std::string() : " (the default base folder, made of the publisher)";
        Fail(*d, line, field, Quote(d->base) + what + " " + LocationProblem(verdict));
    }
}

void CheckOutput(const Description& d) {
    const std::string& out = d.output;
    bool plain = !out.empty() && out.size() < kOutputWidth && out[0] != ' ' && out[0] != '.';
    for (char c : out) {
        plain = plain && c >= 0x20 && c < 0x7f && std::string("\\/:*?\"<>|%").find(c) == std::string::npos;
    }
    std::string ext = out.size() >= 4 ? out.substr(out.size() - 4) : std::string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!plain || ext != ".exe") {
        Fail(d, d.outputLine, "output",
             "'" + out + "' must be a plain file name ending in .exe, of at most " +
                 std::to_string(kOutputWidth - 1) + " letters, digits, blanks and punctuation "
                 "other than \\ / : * ? \" < > | %");
    }
}

// Left out, the installer is named after the product: "NAME Setup", or
// the name alone, or "Setup", whichever first fits the field, the
// backdrop's label and the welcome page's title bar, so a default is never
// what the build refuses.
void DefaultInstaller(Description* d) {
    for (const std::string& name : {d->name + " Setup", d->name, std::string("Setup")}) {
        d->installer = name;
        if (name.size() < kInstallerWidth && InstallerNameFits(name)) return;
    }
}

}  // namespace

std::string FolderNameRule(const std::string& name) {
    switch (CheckGroupName(name.c_str())) {
    case kGroupAccepted: return std::string();
    case kGroupTrailingSpaceOrDot: return "ends in a space or a dot, which Windows drops from a file or folder name";
    case kGroupDeviceName: return "is a device name Windows reserves, whatever follows a dot: CON, PRN, AUX, NUL, COM1 to "
                                   "COM9, LPT1 to LPT9";
    case kGroupDotName: return "is . or ..";
    default: return "cannot be a folder name";
    }
}

void CheckSetupConstants(Description* d) {
    CheckVersion(*d);
    CheckNameAsFolder(*d);
    if (d->installerLine == 0) DefaultInstaller(d);
    CheckText(*d, d->installerLine, "installer", d->installer, kInstallerWidth);
    CheckBase(d);
    CheckOutput(*d);
}
