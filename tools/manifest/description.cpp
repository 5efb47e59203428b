// Reading the product description: "key  value" lines, entries of fields
// separated by "|", "#" comments. Later keys replace earlier ones.
#include "description.h"

#include "text_encoding.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

int g_problems = 0;

std::vector<std::string> SplitBars(const std::string& text) {
    std::vector<std::string> fields;
    std::stringstream ss(text);
    std::string f;
    while (std::getline(ss, f, '|')) fields.push_back(Trim(f));
    if (!text.empty() && text.back() == '|') fields.push_back(std::string());
    return fields;
}

// A text the setup shows, converted to its code page; a fault is reported
// against the field and the text left as it was.
std::string Shown(Description* d, int line, const char* field, const std::string& utf8)
{
    std::string text;
    ConversionFault fault;
    if (!Utf8ToWindows1252(utf8, &text, &fault)) {
        Fail(*d, line, field, fault.what);
        return utf8;
    }
    return text;
}

struct Field {
    const char* key;
    std::string Description::*text;
    int Description::*line;
    bool shown;  // a text the setup shows, not a path or a number
};
const Field kFields[] = {
    {"name", &Description::name, &Description::nameLine, true},
    {"version", &Description::version, &Description::versionLine, true},
    {"tagline", &Description::tagline, &Description::taglineLine, true},
    {"publisher", &Description::publisher, &Description::publisherLine, true},
    {"webpage", &Description::webPage, &Description::webPageLine, true},
    {"timestamp", &Description::timestamp, &Description::timestampLine, false},
    {"support", &Description::support, &Description::supportLine, true},
    {"homepage", &Description::homePage, &Description::homePageLine, true},
    {"copyright", &Description::copyright, &Description::copyrightLine, true},
    {"licence", &Description::licence, &Description::licenceLine, false},
    {"banner", &Description::banner, &Description::bannerLine, true},
    {"slogan", &Description::slogan, &Description::sloganLine, true},
    {"sideband", &Description::sideband, &Description::sidebandLine, true},
    {"installer", &Description::installer, &Description::installerLine, true},
    {"base", &Description::base, &Description::baseLine, true},
    {"output", &Description::output, &Description::outputLine, false},
    {"download", &Description::download, &Description::downloadLine, false},
};

// The keys read otherwise: lists, pictures, numbers and the entries.
const char* const kOtherKeys[] = {"rights", "visit", "picture", "preserve", "weekday", "installed", "shortcuts",
                                  "entry"};

void ReadEntry(Description* d, int line, const std::string& text) {
    std::vector<std::string> fields = SplitBars(text);
    if (fields.size() != 6 || fields[0] != "entry") {
        Fail(*d, line, "entry", "needs five fields: target | flags | resource | caption | source");
        return;
    }
    Entry e;
    e.line = line;
    e.target = Shown(d, line, "target", fields[1]);
    e.file = fields[1];
    e.resource = fields[3];
    e.caption = Shown(d, line, "caption", fields[4]);
    // A path on the build's machine: not converted.
    e.source = fields[5];
    long flags = 0;
    if (!ParseNumber(fields[2], &flags) || flags < 0) {
        Fail(*d, line, "flags", "'" + fields[2] + "' is not a number");
    }
    e.flags = static_cast<unsigned long>(flags);
    e.unpacked = e.packed = 0;
    e.sum = 0;
    d->entries.push_back(e);
}

// "picture NAME FILE": the file replaces the painted picture of that name.
void ReadPicture(Description* d, int line, const std::string& value) {
    size_t gap = value.find_first_of(" \t");
    if (gap == std::string::npos) {
        Fail(*d, line, "picture", "needs a picture name and a file");
        return;
    }
    d->pictures[value.substr(0, gap)] = NamedFile{Trim(value.substr(gap)), line};
}

bool ReadText(Description* d, int line, const std::string& key, const std::string& value) {
    for (const Field& f : kFields) {
        if (key == f.key) {
            d->*f.text = f.shown ? Shown(d, line, f.key, value) : value;
            d->*f.line = line;
            return true;
        }
    }
    if (key == "rights" || key == "visit") {
        std::vector<std::string> lines = SplitBars(value);
        for (std::string& text : lines) text = Shown(d, line, key.c_str(), text);
        (key == "rights" ? d->rights : d->visit) = lines;
        (key == "rights" ? d->rightsLine : d->visitLine) = line;
        return true;
    }
    return false;
}

void ReadNumber(Description* d, int line, const std::string& key, const std::string& value) {
    std::string count = value;
    // "installed N of M" says how many entries the publisher counted.
    size_t of = key == "installed" ? value.find(" of ") : std::string::npos;
    if (of != std::string::npos) {
        count = Trim(value.substr(0, of));
        if (!ParseNumber(Trim(value.substr(of + 4)), &d->installedOf) || d->installedOf < 0) {
            Fail(*d, line, key.c_str(), "'" + value + "' is not \"N\" or \"N of M\"");
        }
    }
    long v = 0;
    if (!ParseNumber(count, &v)) Fail(*d, line, key.c_str(), "'" + value + "' is not a number");
    if (key == "weekday") { d->weekday = v; d->weekdayLine = line; }
    else if (key == "installed") { d->installed = v; d->installedLine = line; }
    else { d->shortcuts = v; d->shortcutsLine = line; }
}

}  // namespace

void Fail(const Description& d, int line, const char* field, const std::string& what) {
    std::fprintf(stderr, "%s:%d: %s: %s\n", d.path.c_str(), line, field, what.c_str());
    ++g_problems;
}

int ProblemCount() { return g_problems; }

std::vector<std::string> DescriptionKeys() {
    std::vector<std::string> keys;
    for (const Field& f : kFields) keys.push_back(f.key);
    keys.insert(keys.end(), std::begin(kOtherKeys), std::end(kOtherKeys));
    return keys;
}

std::string Quote(const std::string& shown) { return "'" + Windows1252ToUtf8(shown) + "'"; }

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

bool IsBuilt(const std::string& source) { return !source.empty() && source[0] == '@'; }

std::string SourcePath(const Description& d, const std::string& source) {
    if (IsBuilt(source)) return d.buildRoot + "/" + source.substr(1);
    if (!source.empty() && source[0] == '/') return source;
    return d.sourceRoot + "/" + source;
}

std::string EntryPath(const Description& d, const Entry& e) {
    if (e.source == kUninstallerSource) return d.buildRoot + "/uninstaller/" + e.file;
    return SourcePath(d, e.source);
}

bool ReadDescription(Description* d) {
    std::ifstream in(d->path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot open the product description\n", d->path.c_str());
        return false;
    }
    std::string raw;
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        if (line == 1 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
        std::string text = Trim(raw);
        if (text.empty() || text[0] == '#') continue;
        size_t gap = text.find_first_of(" \t");
        std::string key = text.substr(0, gap);
        if (key == "entry" || (text.compare(0, 5, "entry") == 0 && text.find('|') != std::string::npos)) {
            ReadEntry(d, line, text);
            continue;
        }
        std::string value = gap == std::string::npos ? std::string() : Trim(text.substr(gap));
        // A key the reader takes is one the sample description explains.
        std::vector<std::string> keys = DescriptionKeys();
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            Fail(*d, line, key.c_str(), "unknown field");
        } else if (ReadText(d, line, key, value)) {
            continue;
        } else if (key == "picture") {
            ReadPicture(d, line, value);
        } else if (key == "preserve") {
            std::stringstream words(value);
            std::string word;
            d->preserved.clear();
            while (words >> word) d->preserved.push_back(word);
            d->preserveLine = line;
        } else {
            ReadNumber(d, line, key, value);
        }
    }
    return true;
}
