// The package manager's manifest, from the description and the setup's own
// list of switches and exit codes, so that it passes only switches the
// setup takes and names a response for every code the setup ends with.
#include "package_manifest.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "command_line.h"
#include "path_helpers.h"
#include "text_encoding.h"

namespace {

// The package manager's words for what went wrong, from the schema's
// ReturnResponse list, for each failure code of the setup.
struct Response {
    int code;
    const char* response;
};
const Response kResponses[] = {
    {kExitFailed, "contactSupport"},     // the log says why
    {kExitRefused, "invalidParameter"},
    {kExitInUse, "packageInUse"},        // most often the product's own program, running
    {kExitNoSpace, "diskFull"},
    {kExitDowngrade, "downgrade"},
    {kExitRunning, "installInProgress"},
};

struct Switch {
    const char* key;
    const char* value;
};
const Switch kSwitches[] = {
    {"Silent", "/S"},
    {"SilentWithProgress", "/PASSIVE"},
    {"InstallLocation", "/DIR=\"<INSTALLPATH>\""},
    {"Log", "/LOG=\"<LOGPATH>\""},
    // A machine-wide package: the program group in every user's Start menu.
    {"Custom", "/ALLUSERS"},
};

// The setup's 32-bit Program Files folder as the package manager, a 64-bit
// program on a 64-bit Windows, finds it.
const char* const kProgramFilesVariable = "%ProgramFiles(x86)%";
const char* const kPlaceholderHost = "https://example.invalid/";
const size_t kUrlLimit = 2048, kFolderLimit = 2048;

// /? lists a switch or an exit code first on each line, up to a tab.
std::vector<std::string> HelpWords() {
    std::vector<std::string> words;
    std::istringstream lines(SETUP_HELP_TEXT);
    std::string line;
    while (std::getline(lines, line)) {
        size_t tab = line.find('\t');
        if (tab != std::string::npos) words.push_back(line.substr(0, tab));
    }
    return words;
}

// A switch up to its "=", which is where the value begins.
std::string SwitchName(const std::string& text) {
    size_t equals = text.find('=');
    return equals == std::string::npos ? text : text.substr(0, equals + 1);
}

bool HelpListsSwitch(const std::string& value) {
    for (const std::string& word : HelpWords()) {
        std::istringstream names(word);
        std::string name;
        while (names >> name) {
            if (name[0] == '/' && SwitchName(name) == SwitchName(value)) return true;
        }
    }
    return false;
}

// A scalar as YAML reads it back: plain where that is the same text,
// else in single quotes (a quote doubled). Numbers and the words YAML
// takes for true, false or nothing are quoted, so "3.10" stays a text.
std::string Scalar(const std::string& text) {
    bool plain = !text.empty() && (std::isalnum(static_cast<unsigned char>(text[0])) || text[0] == '/' ||
                                   static_cast<unsigned char>(text[0]) >= 0x80);
    plain = plain && text.find(": ") == std::string::npos && text.find(" #") == std::string::npos &&
            text.back() != ':' && text.back() != ' ';
    bool numeric = text.find_first_not_of("0123456789.+-_:eE") == std::string::npos;
    std::string lower;
    for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* word : {"y", "n", "yes", "no", "true", "false", "on", "off", "null"}) {
        numeric = numeric || lower == word;
    }
    if (plain && !numeric) return text;
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

std::string IdentifierPart(const std::string& shown) {
    std::string part;
    for (char c : Windows1252ToUtf8(shown)) {
        if (c != ' ' && c != '.') part += c;
    }
    return part;
}

// Where the folder page proposes to install, in the package manager's
// form: the 32-bit Program Files folder as its environment variable.
std::string DefaultFolder(const Description& d) {
    std::string base = d.base;
    size_t token = std::strlen(kProgramFilesToken);
    if (base.compare(0, token, kProgramFilesToken) == 0) base = kProgramFilesVariable + base.substr(token);
    char folder[kFolderLimit];
    if (!JoinPath(folder, sizeof folder, base.c_str(), d.name.c_str(), false)) return std::string();
    return Windows1252ToUtf8(folder);
}

// Without a download address, one that says it is none: the setup's file
// name under a host that never resolves.
std::string InstallerUrl(const Description& d) {
    if (d.downloadLine) return d.download;
    std::string url = kPlaceholderHost;
    for (unsigned char c : d.output) {
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02X", c);
        url += std::isalnum(c) || std::strchr("-._~", c) ? std::string(1, static_cast<char>(c)) : escaped;
    }
    return url;
}

// Mistakes of Vantor's own, not the publisher's: the build stops on them.
const char* const kThisFile = "tools/manifest/package_manifest.cpp";

bool SwitchesAreListed() {
    for (const Switch& s : kSwitches) {
        if (!HelpListsSwitch(s.value)) {
            std::fprintf(stderr, "vantor-manifest: the setup's /? list no longer names %s, which the package "
                                 "manifest passes as %s: change kSwitches in %s\n", s.value, s.key, kThisFile);
            return false;
        }
    }
    return true;
}

// An entry for each failure code /? lists.
bool ReturnCodes(std::string* lines) {
    for (const std::string& word : HelpWords()) {
        int code = std::atoi(word.c_str());
        if (!std::isdigit(static_cast<unsigned char>(word[0])) || code == kExitInstalled) continue;
        const Response* found = nullptr;
        for (const Response& r : kResponses) found = r.code == code ? &r : found;
        if (!found) {
            std::fprintf(stderr, "vantor-manifest: the setup's /? list names exit code %d, for which the package "
                                 "manifest has no response: add it to kResponses in %s\n", code, kThisFile);
            return false;
        }
        *lines += "      - InstallerReturnCode: " + std::to_string(code) +
                  "\n        ReturnResponse: " + found->response + "\n";
    }
    return true;
}

}  // namespace

std::string PackageIdentifier(const Description& d) {
    return IdentifierPart(d.publisher) + "." + IdentifierPart(d.name);
}

// The schema's limits that the description's own do not already keep.
void CheckPackageFields(const Description& d) {
    const std::string what = "; the package manager's manifest needs at least ";
    if (d.name.size() == 1) Fail(d, d.nameLine, "name", Quote(d.name) + " is one character" + what + "2");
    if (d.publisher.size() == 1) {
        Fail(d, d.publisherLine, "publisher", Quote(d.publisher) + " is one character" + what + "2");
    }
    if (!d.tagline.empty() && d.tagline.size() < 3) {
        Fail(d, d.taglineLine, "tagline",
             Quote(d.tagline) + " is the package's short description" + what + "3 characters");
    }
    const char* blank = "holds only blanks and dots, which leaves nothing of it in the package's identifier "
                        "Publisher.Name";
    if (!d.name.empty() && IdentifierPart(d.name).empty()) Fail(d, d.nameLine, "name", blank);
    if (!d.publisher.empty() && IdentifierPart(d.publisher).empty()) Fail(d, d.publisherLine, "publisher", blank);
    if (!d.downloadLine) return;
    const std::string& url = d.download;
    size_t scheme = url.compare(0, 8, "https://") == 0 ? 8 : url.compare(0, 7, "http://") == 0 ? 7 : 0;
    bool ok = scheme > 0 && url.size() > scheme && url.size() <= kUrlLimit;
    for (unsigned char c : url) ok = ok && c > 0x20 && c != 0x7f;
    if (!ok) {
        Fail(d, d.downloadLine, "download",
             "'" + url + "' must be the address the package manager downloads the setup from: http:// or "
             "https:// and the rest, without blanks (write a blank as %20), at most " +
                 std::to_string(kUrlLimit) + " characters");
    }
}

bool PackageManifest(const Description& d, const std::string& sha256, std::string* text) {
    std::string codes;
    if (!SwitchesAreListed() || !ReturnCodes(&codes)) return false;
    std::string name = Scalar(Windows1252ToUtf8(d.name)), publisher = Scalar(Windows1252ToUtf8(d.publisher));
    std::string moniker;
    for (unsigned char c : Windows1252ToUtf8(d.name)) {
        moniker += c == ' ' ? '-' : static_cast<char>(std::tolower(c));
    }
    std::ostringstream out;
    out << "# Made by the build from the product's description (product.txt): change that, not this file.\n"
           "# InstallerSha256 is the SHA-256 of the setup the build made with it.\n"
           "# yaml-language-server: $schema=https://aka.ms/winget-manifest.singleton.1.6.0.schema.json\n";
    if (!d.downloadLine) out << "# InstallerUrl is a placeholder: add a download line to product.txt.\n";
    out << "PackageIdentifier: " << Scalar(PackageIdentifier(d)) << "\n"
        << "PackageVersion: " << Scalar(d.version) << "\n"
        << "PackageLocale: en-US\n"
        << "Publisher: " << publisher << "\n"
        << "PublisherUrl: " << Scalar(Windows1252ToUtf8(d.homePage)) << "\n"
        << "PackageName: " << name << "\n"
        << "PackageUrl: " << Scalar(Windows1252ToUtf8(d.webPage)) << "\n"
        << "License: Proprietary\n"
        << "Copyright: " << Scalar(Windows1252ToUtf8(d.copyright)) << "\n"
        << "ShortDescription: " << Scalar(Windows1252ToUtf8(d.tagline)) << "\n"
        << "Moniker: " << Scalar(moniker) << "\n"
        << "Installers:\n"
        << "  - Architecture: x86\n"
        << "    InstallerLocale: en-US\n"
        << "    InstallerType: exe\n"
        << "    Scope: machine\n"
        // The setup asks for elevation itself (its manifest requires the
        // administrator), so the package manager need not run elevated.
        << "    ElevationRequirement: elevatesSelf\n"
        << "    UpgradeBehavior: install\n"
        << "    InstallModes:\n      - silent\n      - silentWithProgress\n"
        << "    InstallerSwitches:\n";
    for (const Switch& s : kSwitches) out << "      " << s.key << ": " << Scalar(s.value) << "\n";
    out << "    ExpectedReturnCodes:\n" << codes
        // The setup names its uninstall entry after the product.
        << "    ProductCode: " << name << "\n"
        << "    AppsAndFeaturesEntries:\n"
        << "      - DisplayName: " << name << "\n"
        << "        Publisher: " << publisher << "\n"
        << "        DisplayVersion: " << Scalar("v" + d.version) << "\n"
        << "        ProductCode: " << name << "\n"
        << "    InstallationMetadata:\n"
        << "      DefaultInstallLocation: " << Scalar(DefaultFolder(d)) << "\n"
        << "    InstallerUrl: " << Scalar(InstallerUrl(d)) << "\n"
        << "    InstallerSha256: " << sha256 << "\n"
        << "ManifestType: singleton\n"
        << "ManifestVersion: 1.6.0\n";
    *text = out.str();
    return true;
}
