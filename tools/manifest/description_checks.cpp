// The description's checks: every field against the manifest's limits and
// the boxes and messages its texts go into, each problem named by field.
#include "description.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <set>
#include <sys/stat.h>

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


// The dialog boxes the publisher's texts go into, in dialog units. A line
// is 8 units high; mixed text in the dialog font averages 3.5 units a
// character, so a longer line would wrap and push the last line out.
struct TextBox {
    const char* field;
    int width, height;
};
const TextBox kRightsBox = {"rights", 133, 20};  // the welcome page's heading
const TextBox kVisitBox = {"visit", 191, 28};    // under the extraction page's bar
const int kLineUnits = 8;
// Words of the resource script: a payload named so would not compile.
const char* const kScriptKeywords[] = {
    "ACCELERATORS", "ALT", "ANICURSOR", "ANIICON", "ASCII", "AUTO3STATE", "AUTOCHECKBOX",
    "AUTORADIOBUTTON", "BEDIT", "BEGIN", "BITMAP", "BLOCK", "BUTTON", "CAPTION", "CHARACTERISTICS",
    "CHECKBOX", "CHECKED", "CLASS", "COMBOBOX", "CONTROL", "CTEXT", "CURSOR", "DEFPUSHBUTTON",
    "DIALOG", "DIALOGEX", "DISCARDABLE", "DLGINCLUDE", "DLGINIT", "EDITTEXT", "END", "EXSTYLE",
    "FILEFLAGS", "FILEFLAGSMASK", "FILEOS", "FILESUBTYPE", "FILETYPE", "FILEVERSION", "FIXED",
    "FONT", "FONTDIR", "GRAYED", "GROUPBOX", "HEDIT", "HELP", "HTML", "ICON", "IEDIT", "IMPURE",
    "INACTIVE", "LANGUAGE", "LISTBOX", "LOADONCALL", "LTEXT", "MANIFEST", "MENU", "MENUBARBREAK",
    "MENUBREAK", "MENUEX", "MENUITEM", "MESSAGETABLE", "MOVEABLE", "NOINVERT", "NOT", "OWNERDRAW",
    "PLUGPLAY", "POPUP", "PRELOAD", "PRODUCTVERSION", "PURE", "PUSHBOX", "PUSHBUTTON",
    "RADIOBUTTON", "RCDATA", "RTEXT", "SCROLLBAR", "SEPARATOR", "SHIFT", "STATE3", "STRINGTABLE",
    "STYLE", "TOOLBAR", "USERBUTTON", "VALUE", "VERSION", "VERSIONINFO", "VIRTKEY", "VXD",
};

// The version record's copyright line of the product's programs.
const size_t kCopyrightWidth = 80;

// Lines are measured as shown, with a four-digit year in place of "%d".
void CheckBoxLines(const Description& d, int line, const TextBox& box,
                   const std::vector<std::string>& lines) {
    size_t maxLines = static_cast<size_t>(box.height / kLineUnits);
    size_t maxChars = static_cast<size_t>(box.width * 2 / 7);
    if (lines.empty() || lines.size() > maxLines) {
        Fail(d, line, box.field, "give 1 to " + std::to_string(maxLines) +
                                     " lines separated by |; the box is " +
                                     std::to_string(maxLines) + " lines high");
    }
    for (std::string text : lines) {
        size_t year = text.find("%d");
        if (year != std::string::npos) text.replace(year, 2, "2006");
        CheckText(d, line, box.field, text, maxChars + 1);
    }
}

// The welcome heading is a wsprintf format: exactly one "%d" for the year
// and no other "%", or the year would go where it does not belong.
void CheckRights(const Description& d) {
    int years = 0, others = 0;
    for (const std::string& text : d.rights) {
        for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
            if (text.compare(at, 2, "%d") == 0) ++years;
            else ++others;
        }
    }
    if (years != 1 || others != 0) {
        Fail(d, d.rightsLine, "rights", "must hold the year placeholder %d once and no other %");
    }
    CheckBoxLines(d, d.rightsLine, kRightsBox, d.rights);
}

void CheckAddresses(const Description& d) {
    CheckText(d, d.supportLine, "support", d.support, kWebPageWidth);
    size_t at = d.support.find('@');
    if (at == std::string::npos || at == 0 || at + 1 == d.support.size() ||
        d.support.find('@', at + 1) != std::string::npos ||
        d.support.find(' ') != std::string::npos) {
        Fail(d, d.supportLine, "support", "must be one e-mail address such as help@example.com");
    }
    CheckText(d, d.homePageLine, "homepage", d.homePage, kWebPageWidth);
    if (d.homePage.compare(0, 7, "http://") != 0 && d.homePage.compare(0, 8, "https://") != 0) {
        Fail(d, d.homePageLine, "homepage", "must be an absolute http:// or https:// address");
    }
}

// The setup's own constants: its name captions windows and boxes, its file
// is named on the build's machine, and the base folder is a full path or
// one under the machine's Program Files folder.
void CheckSetupConstants(const Description& d) {
    CheckText(d, d.installerLine, "installer", d.installer, kNameWidth);
    size_t dot = d.output.rfind('.');
    if (d.output.find_first_of("\\/:*?\"<>|") != std::string::npos || dot == 0 ||
        dot == std::string::npos || d.output.substr(dot) != ".exe") {
        Fail(d, d.outputLine, "output", "'" + d.output + "' is not a file name ending in .exe");
    }
    if (d.baseLine == 0) return;
    CheckText(d, d.baseLine, "base", d.base, kWebPageWidth);
    if (d.base.empty()) return;
    std::string token = std::string(kProgramFilesToken) + "\\";
    bool fixed = d.base.size() > 3 && std::isalpha(static_cast<unsigned char>(d.base[0])) &&
                 d.base.compare(1, 2, ":\\") == 0;
    if ((!fixed && d.base.compare(0, token.size(), token) != 0) || d.base.back() == '\\' ||
        d.base.find_first_of("/*?\"<>|") != std::string::npos) {
        Fail(d, d.baseLine, "base", "write a folder such as C:\\Brindlemoor or " + token + "Brindlemoor");
    }
}

// The texts that name the publisher outside the manifest record.
void CheckPublisherTexts(const Description& d) {
    CheckAddresses(d);
    CheckRights(d);
    CheckBoxLines(d, d.visitLine, kVisitBox, d.visit);
    CheckText(d, d.copyrightLine, "copyright", d.copyright, kCopyrightWidth);
}

}  // namespace

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
    CheckPublisherTexts(*d);
    CheckSetupConstants(*d);

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
        for (const char* keyword : kScriptKeywords) {
            if (e.resource == keyword) {
                Fail(*d, e.line, "resource", e.resource + " is a word of the resource script; choose another name");
            }
        }
        if (!resources.insert(e.resource).second) {
            Fail(*d, e.line, "resource", "duplicate resource name " + e.resource);
        }
        if (e.flags > 0xffffffffUL) Fail(*d, e.line, "flags", "does not fit 32 bits");
    }
}

void CheckFiles(Description* d, const std::string& sourceRoot, const std::string& buildRoot,
                bool built) {
    long count = static_cast<long>(d->entries.size());
    for (Entry& e : d->entries) {
        if (!built && e.source[0] == '@') continue;
        std::string source = EntryPath(e, sourceRoot, buildRoot);
        // A signing build packs its signed copy of a ready-made program.
        std::string signedCopy = buildRoot + "/signed/" + e.target;
        if (e.source[0] != '@' && FileSize(signedCopy, &e.unpacked)) source = signedCopy;
        if (!FileSize(source, &e.unpacked)) {
            Fail(*d, e.line, "source", "missing file " + source);
        } else if (e.unpacked > 0xffffffffULL) {
            Fail(*d, e.line, "source", "larger than 4 GB");
        }
        if (!built) continue;
        std::string packed = buildRoot + "/payload/" + e.resource + ".lz";
        if (!FileSize(packed, &e.packed)) Fail(*d, e.line, "source", "not packed: " + packed + " missing");
    }
    // The licence page shows the text as it is; it has to be there.
    unsigned long long size = 0;
    std::string licence = SourcePath(d->licence.empty() ? "resources/license.txt" : d->licence,
                                     sourceRoot, buildRoot);
    if (licence.find('"') != std::string::npos || !FileSize(licence, &size) || size == 0) {
        Fail(*d, d->licenceLine, "licence", "missing, empty or unusable file " + licence);
    }
    d->licence = licence;
    // The progress counters are 32-bit: the installed files together must fit.
    unsigned long long total = 0;
    for (long i = 0; i < d->installed && i < count; ++i) total += d->entries[i].unpacked;
    if (total > 0xffffffffULL) Fail(*d, d->installedLine, "installed", "files total more than 4 GB");
}

