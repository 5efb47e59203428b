// The package manager's manifest the generator writes beside a setup: what
// the singleton schema 1.6.0 demands of it ("manifest.singleton.1.6.0",
// $id https://aka.ms/winget-manifest.singleton.1.6.0.schema.json), the
// setup's own hash, and only the switches and exit codes the setup's /?
// lists.
#include "generator_fixture.h"

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <vector>

#include "command_line.h"

namespace {

// The manifest as (path, value) pairs in order, a path being the keys
// from the top joined by dots; a list repeats its path. Values are
// unquoted as YAML reads them.
using Fields = std::vector<std::pair<std::string, std::string>>;

Fields ReadYaml(const std::string& text)
{
    Fields fields;
    std::vector<std::pair<size_t, std::string>> open;  // indent and key of each enclosing map
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        size_t at = line.find_first_not_of(' ');
        if (at == std::string::npos || line[at] == '#') continue;
        if (line.compare(at, 2, "- ") == 0) at += 2;
        while (!open.empty() && open.back().first >= at) open.pop_back();
        std::string path;
        for (const auto& level : open) path += level.second + ".";
        std::string item = line.substr(at), value = item;
        size_t colon = item.find(": ");
        if (item.back() == ':') {
            open.emplace_back(at, item.substr(0, item.size() - 1));
            path += open.back().second;
            value.clear();
        } else if (colon != std::string::npos) {
            path += item.substr(0, colon);
            value = item.substr(colon + 2);
        } else {
            path.pop_back();  // an item of a list of scalars
        }
        if (value.size() > 1 && value.front() == '\'' && value.back() == '\'') {
            value = std::regex_replace(value.substr(1, value.size() - 2), std::regex("''"), "'");
        }
        fields.emplace_back(path, value);
    }
    return fields;
}

// The values at path; a key that opens a map or a list has none.
std::vector<std::string> ValuesOf(const Fields& fields, const std::string& path)
{
    std::vector<std::string> values;
    for (const auto& field : fields) {
        if (field.first == path && !field.second.empty()) values.push_back(field.second);
    }
    return values;
}

std::string ValueOf(const Fields& fields, const std::string& path)
{
    std::vector<std::string> values = ValuesOf(fields, path);
    EXPECT_EQ(values.size(), 1u) << path;
    return values.empty() ? std::string() : values[0];
}

class WingetManifest : public ManifestGenerator {
protected:
    // The fixture's last argument, "out", stands for the finished setup.
    Fields Package(const std::string& overrides, const std::string& setup = "MZ setup")
    {
        Write("out", setup);
        std::string messages;
        EXPECT_EQ(Generate(Description(overrides, SixEntries()), &messages, "--package"), 0) << messages;
        std::string name = Read("package.name");
        yaml_ = Read(name.substr(0, name.find('\n')));
        return ReadYaml(yaml_);
    }
    std::string yaml_;
};

TEST_F(WingetManifest, HoldsWhatTheSchemaRequiresInItsPatternsAndEnumerations)
{
    Fields fields = Package("");
    for (const char* key : {"PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName",
                            "License", "ShortDescription", "Installers", "ManifestType", "ManifestVersion",
                            "Installers.Architecture", "Installers.InstallerUrl", "Installers.InstallerSha256"}) {
        EXPECT_EQ(std::count_if(fields.begin(), fields.end(), [&](const auto& f) { return f.first == key; }), 1)
            << key;
    }
    const std::map<std::string, std::set<std::string>> enumerations = {
        {"ManifestType", {"singleton"}},
        {"Installers.Architecture", {"x86", "x64", "arm", "arm64", "neutral"}},
        {"Installers.InstallerType",
         {"msix", "msi", "appx", "exe", "zip", "inno", "nullsoft", "wix", "burn", "pwa", "portable"}},
        {"Installers.Scope", {"user", "machine"}},
        {"Installers.InstallModes", {"interactive", "silent", "silentWithProgress"}},
        {"Installers.UpgradeBehavior", {"install", "uninstallPrevious", "deny"}},
        {"Installers.ElevationRequirement", {"elevationRequired", "elevationProhibited", "elevatesSelf"}},
        {"Installers.ExpectedReturnCodes.ReturnResponse",
         {"packageInUse", "packageInUseByApplication", "installInProgress", "fileInUse", "missingDependency",
          "diskFull", "insufficientMemory", "invalidParameter", "noNetwork", "contactSupport",
          "rebootRequiredToFinish", "rebootRequiredForInstall", "rebootInitiated", "cancelledByUser",
          "alreadyInstalled", "downgrade", "blockedByPolicy", "systemNotSupported", "custom"}},
    };
    for (const auto& allowed : enumerations) {
        std::vector<std::string> values = ValuesOf(fields, allowed.first);
        EXPECT_FALSE(values.empty()) << allowed.first;
        for (const std::string& value : values) EXPECT_EQ(allowed.second.count(value), 1u) << allowed.first << ": " << value;
    }
    const char* kUrl = "^([Hh][Tt][Tt][Pp][Ss]?)://.+$";
    const std::map<std::string, std::string> patterns = {
        {"PackageIdentifier", R"(^[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}(\.[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}){1,7}$)"},
        {"PackageVersion", R"(^[^\\/:\*\?"<>\|\x01-\x1f]+$)"},
        {"PackageLocale", R"(^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$)"},
        {"ManifestVersion", R"(^1\.6\.0$)"},
        {"PublisherUrl", kUrl}, {"PackageUrl", kUrl}, {"Installers.InstallerUrl", kUrl},
        {"Installers.InstallerSha256", "^[A-Fa-f0-9]{64}$"},
    };
    for (const auto& pattern : patterns) {
        EXPECT_TRUE(std::regex_match(ValueOf(fields, pattern.first), std::regex(pattern.second))) << pattern.first;
    }
    EXPECT_NE(yaml_.find("\n# InstallerUrl is a placeholder"), std::string::npos);
}

TEST_F(WingetManifest, NamesTheSetupsHashAndOnlyItsSwitchesAndExitCodes)
{
    std::string setup(70000, '\0');
    for (size_t i = 0; i < setup.size(); ++i) setup[i] = static_cast<char>(i * 7 + i / 251);
    Fields fields = Package("", setup);
    std::string digest;
    ASSERT_EQ(Run("sha256sum " + dir_ + "/out | cut -c1-64 | tr a-f A-F", &digest), 0);
    EXPECT_EQ(ValueOf(fields, "Installers.InstallerSha256") + "\n", digest);

    // What the package manager should tell its user for each failure.
    const std::map<int, std::string> responses = {
        {kExitFailed, "contactSupport"}, {kExitRefused, "invalidParameter"}, {kExitInUse, "packageInUse"},
        {kExitNoSpace, "diskFull"},      {kExitDowngrade, "downgrade"},      {kExitRunning, "installInProgress"}};
    // The switches /? names anywhere, and the codes that start its lines.
    const std::string help = SETUP_HELP_TEXT;
    const std::regex switchName(R"(/[A-Z?]+=?)"), codeLine(R"(\n(\d+)\t)");
    std::set<std::string> helpSwitches;
    for (std::sregex_iterator m(help.begin(), help.end(), switchName), end; m != end; ++m) helpSwitches.insert(m->str());
    std::map<int, std::string> helpCodes;
    for (std::sregex_iterator m(help.begin(), help.end(), codeLine), end; m != end; ++m) {
        int code = std::stoi((*m)[1]);
        auto response = responses.find(code);
        if (code != kExitInstalled) helpCodes[code] = response == responses.end() ? "no response named" : response->second;
    }
    EXPECT_EQ(helpCodes.size(), responses.size()) << "every code of SetupExit is in /?, and only they";
    std::map<int, std::string> listed;
    std::vector<std::string> codes = ValuesOf(fields, "Installers.ExpectedReturnCodes.InstallerReturnCode");
    std::vector<std::string> said = ValuesOf(fields, "Installers.ExpectedReturnCodes.ReturnResponse");
    ASSERT_EQ(codes.size(), said.size());
    for (size_t i = 0; i < codes.size(); ++i) listed[std::stoi(codes[i])] = said[i];
    EXPECT_EQ(listed, helpCodes);

    const std::map<std::string, std::string> switches = {
        {"Silent", "/S"}, {"SilentWithProgress", "/PASSIVE"}, {"InstallLocation", "/DIR=\"<INSTALLPATH>\""},
        {"Log", "/LOG=\"<LOGPATH>\""}, {"Custom", "/ALLUSERS"}};
    for (const auto& s : switches) {
        std::string value = ValueOf(fields, "Installers.InstallerSwitches." + s.first);
        EXPECT_EQ(value, s.second);
        // The switch is read as /? is, up to its "=".
        std::smatch named;
        EXPECT_TRUE(std::regex_search(value, named, switchName, std::regex_constants::match_continuous) &&
                    helpSwitches.count(named.str()) == 1)
            << value << " is not a switch of /?";
    }
}

TEST_F(WingetManifest, TakesEachFieldFromTheDescriptionAsYamlReadsItBack)
{
    struct Case {
        const char* overrides;
        const char* path;
        const char* value;
    };
    const Case cases[] = {
        // As the setup writes its uninstall entry, which the package
        // manager matches the package by.
        {"", "PackageIdentifier", "Brindlemoor.Quorvel"},
        {"", "Installers.ProductCode", "Quorvel"},
        {"", "Installers.AppsAndFeaturesEntries.ProductCode", "Quorvel"},
        {"", "Installers.AppsAndFeaturesEntries.DisplayName", "Quorvel"},
        {"", "Installers.AppsAndFeaturesEntries.Publisher", "Brindlemoor"},
        {"", "Installers.AppsAndFeaturesEntries.DisplayVersion", "v3.02"},
        {"", "Installers.InstallationMetadata.DefaultInstallLocation", "C:\\Brindlemoor\\Quorvel"},
        {"", "Installers.InstallerUrl", "https://example.invalid/Setup.exe"},
        {"base {ProgramFiles}\\Brindlemoor\n", "Installers.InstallationMetadata.DefaultInstallLocation",
         "%ProgramFiles(x86)%\\Brindlemoor\\Quorvel"},
        {"base {ProgramFiles}\n", "Installers.InstallationMetadata.DefaultInstallLocation",
         "%ProgramFiles(x86)%\\Quorvel"},
        {"base D:\\\n", "Installers.InstallationMetadata.DefaultInstallLocation", "D:\\Quorvel"},
        {"publisher Ombre Vale Labs\n", "PackageIdentifier", "OmbreValeLabs.Quorvel"},
        {"publisher Ombre Vale Labs\n", "Installers.AppsAndFeaturesEntries.Publisher", "Ombre Vale Labs"},
        {"output Quorvel 3 Setup.exe\n", "Installers.InstallerUrl", "https://example.invalid/Quorvel%203%20Setup.exe"},
        {"version 3.10\n", "PackageVersion", "3.10"},
        {"version 3.10\n", "Installers.AppsAndFeaturesEntries.DisplayVersion", "v3.10"},
        {"tagline Yes: it's #1\n", "ShortDescription", "Yes: it's #1"},
        {"tagline Caf\xC3\xA9 ledgers\n", "ShortDescription", "Caf\xC3\xA9 ledgers"},
        // Last, for the check below.
        {"download https://dl.example/q/Setup%20Q.exe\n", "Installers.InstallerUrl", "https://dl.example/q/Setup%20Q.exe"},
    };
    for (const Case& c : cases) EXPECT_EQ(ValueOf(Package(c.overrides), c.path), c.value) << c.overrides << c.path;
    EXPECT_EQ(yaml_.find("InstallerUrl is a placeholder"), std::string::npos) << "with a download line";
}

}  // namespace
