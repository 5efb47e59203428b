// The file table's checks: the counts against the entries, each entry's
// names against the manifest's fields and the resource script, and the
// sources of the programs that have fixed roles.
#include "description.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <set>

#include "path_helpers.h"

namespace {

const size_t kTargetWidth = 24, kResourceWidth = 16, kCaptionWidth = 20;
// Entries 0, 1, 2 and 4 have fixed roles, so the table holds at least five.
const long kFixedRoleEntries = 5;
// Entries that may be programs the build makes: the updater and the main
// program (the uninstaller, entry 0, always is one).
const long kLastBuiltEntry = 2;

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

// A Windows-1252 text in the capitals Windows compares file names in.
std::string Folded(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c = c - 0x20;
        else if (c == 0x9A || c == 0x9C || c == 0x9E) c = c - 0x10;
        else if (c == 0xFF) c = 0x9F;
        out += static_cast<char>(c);
    }
    return out;
}

std::string Quoted(const Entry& e) { return Quote(e.target) + " (line " + std::to_string(e.line) + ")"; }

// Without an "installed" line every entry is installed. A count below the
// entries would pack files that are never installed: that must be said
// with "installed N of M", which also catches the next entry added.
void CheckCounts(Description* d) {
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
    if (d->installedLine == 0) d->installed = count;
    std::string counted = std::to_string(count);
    if (d->installed < 0 || d->installed > count) {
        Fail(*d, d->installedLine, "installed", std::to_string(d->installed) + " is outside 0 to the " +
                                                    counted + " entries");
    } else if (d->installedOf >= 0 && d->installedOf != count) {
        Fail(*d, d->installedLine, "installed",
             "says of " + std::to_string(d->installedOf) + " entries, but the description lists " +
                 counted + "; count them again");
    } else if (d->installed < count && d->installedOf < 0) {
        Fail(*d, d->installedLine, "installed",
             std::to_string(d->installed) + " of the " + counted + " entries: " +
                 Quoted(d->entries[static_cast<size_t>(d->installed)]) +
                 " would be packed and never installed. Write \"installed " + counted +
                 "\" (or leave the line out) to install every entry, or \"installed " +
                 std::to_string(d->installed) + " of " + counted + "\" to carry the rest uninstalled");
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
}

// The uninstaller is always Vantor's own, built for this product; the
// updater and the main program may be programs the build makes, which it
// names after their entries. A "@" source that names another file would
// pack whatever an earlier build left there.
void CheckSource(const Description& d, long index, const Entry& e) {
    if (index == 0) {
        if (e.source != kUninstallerSource) {
            Fail(d, e.line, "source",
                 "entry 0 is the uninstaller, Vantor's own program built for this product: write " +
                     std::string(kUninstallerSource) + " as its source instead of '" + e.source + "'");
        }
        return;
    }
    if (!IsBuilt(e.source)) return;
    if (e.source == kUninstallerSource || index > kLastBuiltEntry) {
        Fail(d, e.line, "source",
             "'" + e.source + "': only entry 0 is the uninstaller, and only the updater (entry 1) and "
             "the main program (entry 2) can be programs the build makes; name a file of the "
             "product's folder");
        return;
    }
    size_t slash = e.source.find_last_of('/');
    std::string file = e.source.substr(slash == std::string::npos ? 1 : slash + 1);
    if (file != e.file) {
        std::string fixed = e.source.substr(0, e.source.size() - file.size()) + e.file;
        Fail(d, e.line, "source",
             "'" + e.source + "' is not the program the build makes for this entry, which it names "
             "after the target '" + e.file + "': write " + fixed);
    }
}

// A data file the user edits (by the preserved extensions, matched as the
// setup matches them) must be written only when it is missing.
void CheckAlwaysWritten(const Description& d, const Entry& e) {
    const char* extension = FindExtension(e.target.c_str());
    if ((e.flags & 0x10) == 0 || extension == nullptr) return;
    for (const std::string& preserved : d.preserved) {
        if (!SameTextIgnoringCase(extension, preserved.c_str())) continue;
        char without[16];
        std::snprintf(without, sizeof without, "0x%02lX", e.flags & ~0x10UL);
        Fail(d, e.line, "flags",
             "0x10 writes " + Quote(e.target) + " again at every reinstall, over the copy the user "
             "edited, though " + preserved + " is a preserved data file: write " + without +
             " instead, so the setup writes it only where it is missing");
        return;
    }
}

// Windows names files without regard to case: two targets that differ only
// so would be one file, the later overwriting the earlier.
void CheckTargetsDistinct(const Description& d) {
    std::map<std::string, const Entry*> seen;
    for (const Entry& e : d.entries) {
        auto placed = seen.emplace(Folded(e.target), &e);
        if (placed.second) continue;
        const Entry& first = *placed.first->second;
        std::string how = first.target == e.target ? " is also the target of line "
                                                   : " differs only in case from the target " +
                                                         Quote(first.target) + " of line ";
        Fail(d, e.line, "target",
             Quote(e.target) + how + std::to_string(first.line) +
                 ", and Windows takes both for one file: give each entry a name of its own");
    }
}

void CheckEntry(const Description& d, const Entry& e, std::set<std::string>* resources) {
    CheckText(d, e.line, "target", e.target, kTargetWidth);
    CheckText(d, e.line, "resource", e.resource, kResourceWidth);
    CheckText(d, e.line, "caption", e.caption, kCaptionWidth);
    std::string rule = FolderNameRule(e.target);
    if (e.target.find_first_of("\\/:*?\"<>|") != std::string::npos) {
        Fail(d, e.line, "target", "must be a plain file name");
    } else if (!rule.empty() && !e.target.empty()) {
        // The pass would open a device, or a name Windows rewrites, and
        // fail halfway through the installation.
        Fail(d, e.line, "target", Quote(e.target) + " " + rule + "; the setup cannot install a file under that name");
    }
    CheckAlwaysWritten(d, e);
    bool ident = !e.resource.empty() && std::isupper(static_cast<unsigned char>(e.resource[0]));
    for (char c : e.resource) {
        if (!std::isupper(static_cast<unsigned char>(c)) && !std::isdigit(static_cast<unsigned char>(c)) && c != '_') {
            ident = false;
        }
    }
    if (!ident) Fail(d, e.line, "resource", "use capital letters, digits and _, starting with a letter");
    if (e.resource == "LICENSE") Fail(d, e.line, "resource", "LICENSE is the licence text's name");
    for (const char* keyword : kScriptKeywords) {
        if (e.resource == keyword) {
            Fail(d, e.line, "resource", e.resource + " is a word of the resource script; choose another name");
        }
    }
    if (!resources->insert(e.resource).second) {
        Fail(d, e.line, "resource", "duplicate resource name " + e.resource);
    }
    if (e.flags > 0xffffffffUL) Fail(d, e.line, "flags", "does not fit 32 bits");
}

}  // namespace

void CheckTable(Description* d) {
    CheckCounts(d);
    std::set<std::string> resources;
    for (size_t i = 0; i < d->entries.size(); ++i) {
        CheckEntry(*d, d->entries[i], &resources);
        CheckSource(*d, long(i), d->entries[i]);
    }
    CheckTargetsDistinct(*d);
}
