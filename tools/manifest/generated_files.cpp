// The generated files' contents. Texts are in Windows-1252 already; C and
// resource-script literals escape every byte outside printable ASCII, which
// the resource compiler reads back in the same code page.
#include "generated_files.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "payload_sum.h"
#include "text_encoding.h"

namespace {

// A C string literal: printable ASCII as is, everything else escaped. A
// quote is escaped in octal, which the resource compiler takes without the
// warning it gives for a backslash and a quote.
std::string Literal(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '\n' || c == '\r') {
            out += c == '\n' ? "\\n" : "\\r";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c >= 0x20 && c < 0x7f && c != '?' && c != '"') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        }
    }
    return out + "\"";
}

// A static control's text shows a single "&" as the mark under the next
// letter; "&&" shows one "&".
std::string StaticText(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '&' ? std::string("&&") : std::string(1, c);
    return out;
}

std::string Joined(const std::vector<std::string>& lines, const char* separator) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) out += (i ? separator : "") + lines[i];
    return out;
}

// The leading decimal number of text, or 0; for the version resource's
// numeric fields.
unsigned long LeadingNumber(const std::string& text) {
    return std::isdigit(static_cast<unsigned char>(text.c_str()[0])) ? std::strtoul(text.c_str(), nullptr, 10)
                                                                      : 0;
}

std::string XmlText(const std::string& text) {
    std::string out;
    for (char c : Windows1252ToUtf8(text)) {
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    }
    return out;
}

std::string AssemblyName(const Description& d) {
    // Each part of an assembly's name in ASCII letters and digits alone,
    // a part with none of them left out.
    std::string name;
    for (const std::string& part : {d.publisher, d.name, std::string("Setup")}) {
        std::string kept;
        for (char c : part) {
            if (std::isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80) kept += c;
        }
        if (!kept.empty()) name += (name.empty() ? "" : ".") + kept;
    }
    return name;
}

}  // namespace

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
      << "#define PRODUCT_SUPPORT_ADDRESS " << Literal(d.support) << "\n"
      << "#define PUBLISHER_HOME_PAGE " << Literal(d.homePage) << "\n"
      << "#define PRODUCT_COPYRIGHT " << Literal(d.copyright) << "\n"
      // Static controls break lines at a line feed; the welcome heading's
      // lines end with one, the visit notice's with CR LF. They take a
      // single "&" for the mark of a shortcut key.
      << "#define WELCOME_RIGHTS_TEXT " << Literal(StaticText(Joined(d.rights, "\n"))) << "\n"
      << "#define VISIT_NOTICE_TEXT " << Literal(StaticText(Joined(d.visit, "\r\n"))) << "\n"
      // The setup's own constants.
      << "#define PRODUCT_INSTALLER_NAME " << Literal(d.installer) << "\n"
      << "#define PRODUCT_OUTPUT_FILE " << Literal(d.output) << "\n"
      << "#define PROGRAM_FILES_FOLDER_TOKEN " << Literal(kProgramFilesToken) << "\n"
      // The programs by their roles, fixed by position in the table.
      << "#define PRODUCT_UNINSTALLER_FILE " << Literal(d.entries[0].target) << "\n"
      << "#define PRODUCT_UPDATER_FILE " << Literal(d.entries.size() > 1 ? d.entries[1].target : "") << "\n"
      << "#define PRODUCT_PROGRAM_FILE " << Literal(d.entries.size() > 2 ? d.entries[2].target : "") << "\n"
      << "#define PRODUCT_DEFAULT_BASE_FOLDER " << Literal(d.base) << "\n"
      << "#define PRODUCT_VENDOR_KEY " << Literal("Software\\" + d.publisher) << "\n"
      << "#define PRODUCT_VERSION_KEY_SUFFIX "
      << Literal("\\Programs\\" + d.name + "\\Current Version") << "\n"
      << "#define PRODUCT_FILE_TIME {" << d.year << ", " << d.month << ", " << d.weekday << ", "
      << d.day << ", " << d.hour << ", " << d.minute << ", " << d.second << ", " << d.millis << "}\n"
      << "#define PRODUCT_VERSION_MAJOR " << major << "\n"
      << "#define PRODUCT_VERSION_MINOR " << minor << "\n"
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

// What run.sh shows: the manifest as built, entry by entry, in UTF-8.
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
    return Windows1252ToUtf8(o.str());
}

// The pictures and the licence, by the ids the shell and pages load them by.
std::string SetupFilesScript(const Description& d, const std::string& licence) {
    struct Binding {
        const char* id;
        const char* type;
        const char* picture;
        const char* role;
    };
    static const Binding kBindings[] = {
        {"200", "BITMAP", "computer", "side picture of the folder and extraction pages"},
        {"201", "BITMAP", "startmenu", "side picture of the group page and the backdrop's panel"},
        {"202", "BITMAP", "banner", "the backdrop's banner, at the top right"},
        {"203", "BITMAP", "strip", "stretched left of the banner"},
        {"204", "BITMAP", "line", "stretched under the banner"},
        {"100", "ICON", "setup", "the program's own, 32 x 32 and 16 x 16"},
        {"101", "ICON", "shortcut", "the shortcut dialog's"},
    };
    std::ostringstream o;
    o << "/* generated from the product description; do not edit */\n";
    for (const Binding& b : kBindings) {
        o << "/* " << b.role << " */\n"
          << b.id << " " << b.type << " \"" << d.picturePaths.at(b.picture) << "\"\n";
    }
    // The licence as the page shows it, converted beside this script.
    o << "LICENSE RCDATA \"" << licence << "\"\n";
    return o.str();
}

// The application manifest of the setup and the uninstaller: administrator
// rights up front (both write under HKEY_LOCAL_MACHINE and into the Windows
// folder) and the systems they are known to run on, under an assembly name
// of the publisher's and the product's, and a description naming the
// setup's file and the product.
std::string ApplicationManifest(const Description& d) {
    return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <assemblyIdentity type="win32" name=")" + AssemblyName(d) + R"(" version="1.0.0.0" processorArchitecture="x86"/>
  <description>)" + XmlText(d.output + ", the setup of " + d.name) + R"(</description>
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">
    <security>
      <requestedPrivileges>
        <requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>
      </requestedPrivileges>
    </security>
  </trustInfo>
  <compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1">
    <application>
      <!-- Windows Vista -->
      <supportedOS Id="{e2011457-1546-43c5-a5fe-008deee3d3f0}"/>
      <!-- Windows 7 -->
      <supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>
      <!-- Windows 8 -->
      <supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>
      <!-- Windows 8.1 -->
      <supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>
      <!-- Windows 10 and 11 -->
      <supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>
    </application>
  </compatibility>
</assembly>
)";
}

std::string PayloadScript(const Description& d) {
    std::ostringstream o;
    o << "/* generated from the product description; do not edit */\n";
    for (const Entry& e : d.entries) {
        o << e.resource << " RCDATA \"payload/" << e.resource << ".lz\"\n";
    }
    // The streams' sums, four bytes each in table order.
    o << PAYLOAD_SUMS_RESOURCE " RCDATA\nBEGIN\n";
    for (const Entry& e : d.entries) {
        char word[16];
        snprintf(word, sizeof word, "  0x%08XL,\n", (unsigned)e.sum);
        o << word;
    }
    o << "END\n";
    return o.str();
}

