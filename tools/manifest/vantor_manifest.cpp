// Build-time generator: reads the product description, checks it against the
// limits of the compiled-in manifest, and writes the manifest initialiser,
// the product identity header and the payload resource lines.
//
// usage: vantor-manifest DESCRIPTION SOURCE_ROOT BUILD_ROOT OUT_DIR
//        vantor-manifest --identity DESCRIPTION OUT_DIR
// A packed payload is expected at BUILD_ROOT/payload/<RESOURCE>.lz. The
// second form writes only the identity header, for the product's own
// programs, which are built before they can be packed.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// Field widths of the manifest record; a field of width w holds w - 1 characters.
const size_t kNameWidth = 20, kVersionWidth = 10, kTaglineWidth = 60, kPublisherWidth = 20,
             kWebPageWidth = 60, kTargetWidth = 24, kResourceWidth = 16, kCaptionWidth = 20;
// The backdrop's titles: "%s v%s" in 30 bytes and "%s - %s" in 61 bytes.
const size_t kTitleSlot = 30, kSubtitleSlot = 61;
// Preserved data-file extensions: a dot and up to 8 letters or digits.
const size_t kMaxPreserved = 8, kExtensionLength = 9;
// Entries 0, 1, 2 and 4 have fixed roles, so the table holds at least five.
const long kFixedRoleEntries = 5;

struct Entry {
    int line;
    std::string target, resource, caption, source;
    unsigned long flags;
    unsigned long long unpacked, packed;
};

struct Description {
    std::string path;
    std::string name, version, tagline, publisher, webPage, timestamp;
    std::vector<std::string> preserved;
    int preserveLine = 0;
    int nameLine = 0, versionLine = 0, taglineLine = 0, publisherLine = 0, webPageLine = 0,
        timestampLine = 0, weekdayLine = 0, installedLine = 0, shortcutsLine = 0;
    long weekday = 0, installed = 0, shortcuts = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millis = 0;
    std::vector<Entry> entries;
};

int g_errors = 0;

void Fail(const Description& d, int line, const char* field, const std::string& what) {
    std::fprintf(stderr, "%s:%d: %s: %s\n", d.path.c_str(), line, field, what.c_str());
    ++g_errors;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool ParseNumber(const std::string& s, long* out) {
    if (s.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 0);
    if (errno != 0 || *end != '\0') return false;
    *out = v;
    return true;
}

bool FileSize(const std::string& path, unsigned long long* size) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    *size = static_cast<unsigned long long>(st.st_size);
    return true;
}

void CheckText(const Description& d, int line, const char* field, const std::string& value,
               size_t width) {
    if (value.empty()) {
        Fail(d, line, field, "must not be empty");
    } else if (value.size() > width - 1) {
        Fail(d, line, field, "is " + std::to_string(value.size()) + " characters; the field holds " +
                                 std::to_string(width - 1));
    }
    for (unsigned char c : value) {
        if (c < 0x20 || c == 0x7f) {
            Fail(d, line, field, "holds a control character");
            break;
        }
    }
}

bool ReadDescription(Description* d) {
    std::ifstream in(d->path);
    if (!in) {
        std::fprintf(stderr, "%s: cannot open the product description\n", d->path.c_str());
        return false;
    }
    std::string raw;
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        std::string text = Trim(raw);
        if (text.empty() || text[0] == '#') continue;
        if (text.compare(0, 5, "entry") == 0 && text.find('|') != std::string::npos) {
            std::vector<std::string> fields;
            std::stringstream ss(text);
            std::string f;
            while (std::getline(ss, f, '|')) fields.push_back(Trim(f));
            if (fields.size() != 6 || fields[0] != "entry") {
                Fail(*d, line, "entry", "needs five fields: target | flags | resource | caption | source");
                continue;
            }
            Entry e;
            e.line = line;
            e.target = fields[1];
            e.resource = fields[3];
            e.caption = fields[4];
            e.source = fields[5];
            long flags = 0;
            if (!ParseNumber(fields[2], &flags) || flags < 0) {
                Fail(*d, line, "flags", "'" + fields[2] + "' is not a number");
            }
            e.flags = static_cast<unsigned long>(flags);
            e.unpacked = e.packed = 0;
            d->entries.push_back(e);
            continue;
        }
        size_t gap = text.find_first_of(" \t");
        std::string key = text.substr(0, gap);
        std::string value = gap == std::string::npos ? std::string() : Trim(text.substr(gap));
        if (key == "name") { d->name = value; d->nameLine = line; }
        else if (key == "version") { d->version = value; d->versionLine = line; }
        else if (key == "tagline") { d->tagline = value; d->taglineLine = line; }
        else if (key == "publisher") { d->publisher = value; d->publisherLine = line; }
        else if (key == "webpage") { d->webPage = value; d->webPageLine = line; }
        else if (key == "timestamp") { d->timestamp = value; d->timestampLine = line; }
        else if (key == "preserve") {
            std::stringstream words(value);
            std::string word;
            d->preserved.clear();
            while (words >> word) d->preserved.push_back(word);
            d->preserveLine = line;
        }
        else if (key == "weekday" || key == "installed" || key == "shortcuts") {
            long v = 0;
            if (!ParseNumber(value, &v)) {
                Fail(*d, line, key.c_str(), "'" + value + "' is not a number");
            }
            if (key == "weekday") { d->weekday = v; d->weekdayLine = line; }
            else if (key == "installed") { d->installed = v; d->installedLine = line; }
            else { d->shortcuts = v; d->shortcutsLine = line; }
        } else {
            Fail(*d, line, key.c_str(), "unknown field");
        }
    }
    return true;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

void CheckTimestamp(Description* d) {
    int n = 0;
    if (std::sscanf(d->timestamp.c_str(), "%4d-%2d-%2d %2d:%2d:%2d.%3d%n", &d->year, &d->month,
                    &d->day, &d->hour, &d->minute, &d->second, &d->millis, &n) != 7 ||
        static_cast<size_t>(n) != d->timestamp.size()) {
        Fail(*d, d->timestampLine, "timestamp", "expected YYYY-MM-DD hh:mm:ss.mmm");
        return;
    }
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool ok = d->year >= 1601 && d->year <= 30827 && d->month >= 1 && d->month <= 12 &&
              d->day >= 1 && d->hour <= 23 && d->minute <= 59 && d->second <= 59 &&
              d->millis <= 999;
    if (ok) {
        int last = kDays[d->month - 1] + (d->month == 2 && IsLeap(d->year) ? 1 : 0);
        ok = d->day <= last;
    }
    if (!ok) Fail(*d, d->timestampLine, "timestamp", "not a valid date and time");
    if (d->weekday < 0 || d->weekday > 6) Fail(*d, d->weekdayLine, "weekday", "must be 0 to 6");
}

void CheckPreserved(Description* d) {
    if (d->preserved.empty() || d->preserved.size() > kMaxPreserved) {
        Fail(*d, d->preserveLine, "preserve", "list 1 to " + std::to_string(kMaxPreserved) +
                                                  " extensions such as .DAT");
    }
    std::set<std::string> seen;
    for (const std::string& ext : d->preserved) {
        bool ok = ext.size() >= 2 && ext.size() <= kExtensionLength && ext[0] == '.';
        std::string upper;
        for (size_t i = 0; i < ext.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(ext[i]);
            if (i > 0 && !std::isalnum(c)) ok = false;
            upper += static_cast<char>(std::toupper(c));
        }
        if (!ok) Fail(*d, d->preserveLine, "preserve", "'" + ext + "' is not a dot and 1 to 8 letters or digits");
        if (!seen.insert(upper).second) Fail(*d, d->preserveLine, "preserve", "'" + ext + "' is listed twice");
    }
}

// What both forms check: every field but the files themselves.
void CheckIdentity(Description* d) {
    CheckText(*d, d->nameLine, "name", d->name, kNameWidth);
    CheckText(*d, d->versionLine, "version", d->version, kVersionWidth);
    CheckText(*d, d->taglineLine, "tagline", d->tagline, kTaglineWidth);
    CheckText(*d, d->publisherLine, "publisher", d->publisher, kPublisherWidth);
    CheckText(*d, d->webPageLine, "webpage", d->webPage, kWebPageWidth);
    if (d->name.size() + 2 + d->version.size() > kTitleSlot - 1) {
        Fail(*d, d->versionLine, "name and version",
             "together " + std::to_string(d->name.size() + d->version.size()) +
                 " characters; the title \"name vversion\" allows 27");
    }
    if (d->name.size() + 3 + d->tagline.size() > kSubtitleSlot - 1) {
        Fail(*d, d->taglineLine, "tagline", "does not fit the subtitle \"name - tagline\" (60 characters)");
    }
    if (d->webPage.compare(0, 7, "http://") != 0 && d->webPage.compare(0, 8, "https://") != 0) {
        Fail(*d, d->webPageLine, "webpage", "must be an absolute http:// or https:// address");
    }
    for (char c : d->name + d->publisher) {
        if (std::strchr("\\/:*?\"<>|%", c)) {
            Fail(*d, d->nameLine, "name or publisher", "may not hold \\ / : * ? \" < > | or %");
            break;
        }
    }
    CheckTimestamp(d);
    CheckPreserved(d);

    long count = static_cast<long>(d->entries.size());
    if (count == 0) {
        Fail(*d, 0, "entry", "the product has no files");
    } else if (count < kFixedRoleEntries) {
        // The setup reads the uninstaller, the updater, the main program and
        // the read-me by their places 0, 1, 2 and 4 in the table.
        Fail(*d, 0, "entry",
             std::to_string(count) + " entries; the setup needs at least " +
                 std::to_string(kFixedRoleEntries) +
                 " (uninstaller, updater, main program, one more, read-me)");
    }
    // Without an "installed" line every entry is installed; a written count
    // must lie between 0 and the number of entries.
    if (d->installedLine == 0) d->installed = count;
    if (d->installed < 0 || d->installed > count) {
        Fail(*d, d->installedLine, "installed", std::to_string(d->installed) + " is outside 0 to the " +
                                                    std::to_string(count) + " entries");
    }
    if (d->shortcuts < 0) {
        Fail(*d, d->shortcutsLine, "shortcuts", std::to_string(d->shortcuts) + " is below 0");
    }
    if (d->shortcuts > d->installed) {
        Fail(*d, d->shortcutsLine, "shortcuts",
             std::to_string(d->shortcuts) + " is above the installed count " + std::to_string(d->installed));
    }
    if (d->installed > 32767 || d->shortcuts < -32768) {
        Fail(*d, d->installedLine, "installed", "out of range");
    }

    std::set<std::string> resources;
    for (Entry& e : d->entries) {
        CheckText(*d, e.line, "target", e.target, kTargetWidth);
        CheckText(*d, e.line, "resource", e.resource, kResourceWidth);
        CheckText(*d, e.line, "caption", e.caption, kCaptionWidth);
        if (e.target.find_first_of("\\/:*?\"<>|") != std::string::npos) {
            Fail(*d, e.line, "target", "must be a plain file name");
        }
        bool ident = !e.resource.empty() && std::isupper(static_cast<unsigned char>(e.resource[0]));
        for (char c : e.resource) {
            if (!std::isupper(static_cast<unsigned char>(c)) && !std::isdigit(static_cast<unsigned char>(c)) && c != '_') {
                ident = false;
            }
        }
        if (!ident) Fail(*d, e.line, "resource", "use capital letters, digits and _, starting with a letter");
        if (e.resource == "LICENSE") Fail(*d, e.line, "resource", "LICENSE is the licence text's name");
        if (!resources.insert(e.resource).second) {
            Fail(*d, e.line, "resource", "duplicate resource name " + e.resource);
        }
        if (e.flags > 0xffffffffUL) Fail(*d, e.line, "flags", "does not fit 32 bits");
    }
}

void CheckFiles(Description* d, const std::string& sourceRoot, const std::string& buildRoot) {
    long count = static_cast<long>(d->entries.size());
    for (Entry& e : d->entries) {
        std::string source = e.source[0] == '@' ? buildRoot + "/" + e.source.substr(1)
                                                : sourceRoot + "/" + e.source;
        if (!FileSize(source, &e.unpacked)) {
            Fail(*d, e.line, "source", "missing file " + source);
        } else if (e.unpacked == 0) {
            Fail(*d, e.line, "source", "empty file " + source);
        } else if (e.unpacked > 0xffffffffULL) {
            Fail(*d, e.line, "source", "larger than 4 GB");
        }
        std::string packed = buildRoot + "/payload/" + e.resource + ".lz";
        if (!FileSize(packed, &e.packed)) Fail(*d, e.line, "source", "not packed: " + packed + " missing");
    }
    // The progress counters are 32-bit: the installed files together must fit.
    unsigned long long total = 0;
    for (long i = 0; i < d->installed && i < count; ++i) total += d->entries[i].unpacked;
    if (total > 0xffffffffULL) Fail(*d, d->installedLine, "installed", "files total more than 4 GB");
}

// A C string literal: printable ASCII as is, everything else escaped.
std::string Literal(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f && c != '?') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        }
    }
    return out + "\"";
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary);
        out << text;
        if (!out) {
            std::fprintf(stderr, "%s: cannot write\n", tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "%s: cannot rename into place\n", path.c_str());
        return false;
    }
    return true;
}

std::string ManifestInitialiser(const Description& d) {
    std::ostringstream o;
    o << "/* generated from the product description; do not edit */\n{\n";
    o << "    " << Literal(d.name) << ",\n    " << Literal(d.version) << ",\n    "
      << Literal(d.tagline) << ",\n    " << Literal(d.publisher) << ",\n    " << Literal(d.webPage)
      << ",\n";
    o << "    {" << d.year << ", " << d.month << ", " << d.weekday << ", " << d.day << ", " << d.hour
      << ", " << d.minute << ", " << d.second << ", " << d.millis << "},\n";
    o << "    0,\n    {\n";
    for (const Entry& e : d.entries) {
        char flags[16];
        std::snprintf(flags, sizeof flags, "0x%02lX", e.flags);
        o << "        {" << Literal(e.target) << ", " << flags << ", " << Literal(e.resource) << ", "
          << Literal(e.caption) << ", " << e.unpacked << "u, " << e.packed << "u},\n";
    }
    o << "    },\n    " << d.installed << ",\n    " << d.shortcuts << ",\n}\n";
    return o.str();
}

// The leading decimal number of text, or 0; for the version resource's
// numeric fields.
unsigned long LeadingNumber(const std::string& text) {
    return std::isdigit(static_cast<unsigned char>(text.c_str()[0])) ? std::strtoul(text.c_str(), nullptr, 10)
                                                                      : 0;
}

// Everything the setup and the product's own programs must agree on: names,
// the registry keys made of them, the preserved extensions and the table's
// names, flags and captions (not its sizes, which the programs cannot know
// before they are packed).
std::string IdentityHeader(const Description& d) {
    size_t dot = d.version.find('.');
    unsigned long major = LeadingNumber(d.version);
    unsigned long minor = dot == std::string::npos ? 0 : LeadingNumber(d.version.substr(dot + 1));
    std::ostringstream o;
    o << "/* generated from the product description; do not edit */\n"
      << "#ifndef VANTOR_PRODUCT_IDENTITY_H\n#define VANTOR_PRODUCT_IDENTITY_H\n"
      << "#define PRODUCT_TABLE_SIZE " << d.entries.size() << "\n"
      << "#define PRODUCT_NAME " << Literal(d.name) << "\n"
      << "#define PRODUCT_VERSION " << Literal(d.version) << "\n"
      << "#define PRODUCT_TAGLINE " << Literal(d.tagline) << "\n"
      << "#define PRODUCT_PUBLISHER " << Literal(d.publisher) << "\n"
      << "#define PRODUCT_WEB_PAGE " << Literal(d.webPage) << "\n"
      << "#define PRODUCT_DEFAULT_BASE_FOLDER " << Literal("C:\\" + d.publisher) << "\n"
      << "#define PRODUCT_VENDOR_KEY " << Literal("Software\\" + d.publisher) << "\n"
      << "#define PRODUCT_VERSION_KEY_SUFFIX "
      << Literal("\\Programs\\" + d.name + "\\Current Version") << "\n"
      << "#define PRODUCT_VERSION_MAJOR " << major << "\n"
      << "#define PRODUCT_VERSION_MINOR " << minor << "\n"
      << "#define PRODUCT_COPYRIGHT "
      << Literal("Copyright (C) " + std::to_string(d.year) + " " + d.publisher) << "\n"
      << "#define PRODUCT_INSTALLED_COUNT " << d.installed << "\n"
      << "#define PRODUCT_SHORTCUT_COUNT " << d.shortcuts << "\n"
      << "#define PRODUCT_PRESERVED_COUNT " << d.preserved.size() << "\n"
      << "#define PRODUCT_PRESERVED_EXTENSIONS";
    for (size_t i = 0; i < d.preserved.size(); ++i) {
        o << (i ? ", " : " ") << Literal(d.preserved[i]);
    }
    o << "\n/* target name, flags, shortcut caption of each entry, in table order */\n"
      << "#define PRODUCT_ENTRY_TABLE";
    for (const Entry& e : d.entries) {
        char flags[16];
        std::snprintf(flags, sizeof flags, "0x%02lX", e.flags);
        o << " \\\n    {" << Literal(e.target) << ", " << flags << ", " << Literal(e.caption) << "},";
    }
    o << "\n#endif\n";
    return o.str();
}

// What run.sh shows: the manifest as built, entry by entry.
std::string Listing(const Description& d) {
    std::ostringstream o;
    o << d.name << " " << d.version << " by " << d.publisher << " - " << d.tagline << "\n"
      << d.webPage << "\nfile time " << d.timestamp << " (local), " << d.installed
      << " installed, " << d.shortcuts << " with shortcuts\n";
    char line[160];
    std::snprintf(line, sizeof line, "%-3s %-24s %-6s %-10s %-12s %10s %10s\n", "#", "target", "flags",
                  "resource", "caption", "unpacked", "packed");
    o << line;
    int i = 0;
    for (const Entry& e : d.entries) {
        std::snprintf(line, sizeof line, "%-3d %-24s 0x%02lX   %-10s %-12s %10llu %10llu\n", i++,
                      e.target.c_str(), e.flags, e.resource.c_str(), e.caption.c_str(), e.unpacked,
                      e.packed);
        o << line;
    }
    return o.str();
}

std::string PayloadScript(const Description& d) {
    std::ostringstream o;
    o << "/* generated from the product description; do not edit */\n";
    for (const Entry& e : d.entries) {
        o << e.resource << " RCDATA \"payload/" << e.resource << ".lz\"\n";
    }
    return o.str();
}

}  // namespace

int main(int argc, char** argv) {
    bool identityOnly = argc == 4 && std::strcmp(argv[1], "--identity") == 0;
    if (argc != 5 && !identityOnly) {
        std::fprintf(stderr, "usage: vantor-manifest DESCRIPTION SOURCE_ROOT BUILD_ROOT OUT_DIR\n"
                             "       vantor-manifest --identity DESCRIPTION OUT_DIR\n");
        return 2;
    }
    Description d;
    d.path = argv[identityOnly ? 2 : 1];
    if (!ReadDescription(&d)) return 1;
    CheckIdentity(&d);
    if (!identityOnly) CheckFiles(&d, argv[2], argv[3]);
    if (g_errors) {
        std::fprintf(stderr, "%s: %d problem(s); no manifest written\n", d.path.c_str(), g_errors);
        return 1;
    }
    std::string out = argv[identityOnly ? 3 : 4];
    mkdir(out.c_str(), 0777);
    if (identityOnly) return WriteFile(out + "/product_identity.h", IdentityHeader(d)) ? 0 : 1;
    if (!WriteFile(out + "/manifest_data.inc", ManifestInitialiser(d)) ||
        !WriteFile(out + "/product_identity.h", IdentityHeader(d)) ||
        !WriteFile(out + "/payload.rc", PayloadScript(d)) ||
        !WriteFile(out + "/manifest.txt", Listing(d))) {
        return 1;
    }
    return 0;
}
