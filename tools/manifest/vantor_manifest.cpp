// Build-time generator: reads the product description, checks it against the
// limits of the compiled-in manifest and of the windows that show its texts,
// and writes the manifest initialiser, the product identity header and the
// resource lines.
//
// usage: vantor-manifest DESCRIPTION SOURCE_ROOT BUILD_ROOT OUT_DIR
//        vantor-manifest --identity DESCRIPTION SOURCE_ROOT BUILD_ROOT OUT_DIR
//        vantor-manifest --check DESCRIPTION SOURCE_ROOT BUILD_ROOT
//        vantor-manifest --package DESCRIPTION SOURCE_ROOT BUILD_ROOT SETUP
// Plain paths in the description are relative to SOURCE_ROOT, the product's
// folder. Files named with "@" lie under BUILD_ROOT, Vantor's uninstaller
// (@uninstaller) at BUILD_ROOT/uninstaller/<TARGET>, the pictures the build
// paints for a product that brings none in BUILD_ROOT/pictures, a packed
// payload at BUILD_ROOT/payload/<RESOURCE>.lz, and a signing build's signed
// copy of a ready-made program at BUILD_ROOT/signed/<TARGET>, which stands
// for it.
// The full form writes everything the setup needs, the licence converted
// for the licence page among it. --identity writes what the product's own
// programs need, which are built before they can be packed: the identity
// header, the application manifest and the uninstaller's icon. --check
// writes nothing and checks all that can be checked before anything is
// built. --package writes the package manager's manifest of the finished
// (and signed) setup SETUP beside it, as PUBLISHER.NAME.yaml, and that
// file's name into package.name there.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

#include "description.h"
#include "generated_files.h"
#include "package_manifest.h"
#include "sha256.h"

namespace {

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

bool CopyFile(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return false;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return WriteFile(to, bytes);
}

// What the product's programs and the setup both carry.
bool WriteIdentity(const Description& d, const std::string& out) {
    return WriteFile(out + "/product_identity.h", IdentityHeader(d)) &&
           WriteFile(out + "/application.manifest", ApplicationManifest(d)) &&
           CopyFile(d.picturePaths.at("uninstaller"), out + "/uninstaller.ico");
}

bool WriteSetupFiles(const Description& d, const std::string& out) {
    std::string licence = out + "/license.txt";
    return WriteFile(licence, d.licenceText) && WriteFile(out + "/manifest_data.inc", ManifestInitialiser(d)) &&
           WriteFile(out + "/payload.rc", PayloadScript(d)) &&
           WriteFile(out + "/setup_files.rc", SetupFilesScript(d, licence)) &&
           WriteFile(out + "/manifest.txt", Listing(d));
}

bool WritePackageManifest(const Description& d, const std::string& setup) {
    std::string hash, text;
    if (!FileSha256(setup, &hash)) {
        std::fprintf(stderr, "%s: cannot read the setup\n", setup.c_str());
        return false;
    }
    if (!PackageManifest(d, hash, &text)) return false;
    std::string folder = setup.substr(0, setup.find_last_of('/') + 1);
    std::string name = PackageIdentifier(d) + ".yaml";
    return WriteFile(folder + name, text) && WriteFile(folder + "package.name", name + "\n");
}

int Usage() {
    std::fprintf(stderr, "usage: vantor-manifest DESCRIPTION SOURCE_ROOT BUILD_ROOT OUT_DIR\n"
                         "       vantor-manifest --identity DESCRIPTION SOURCE_ROOT BUILD_ROOT OUT_DIR\n"
                         "       vantor-manifest --check DESCRIPTION SOURCE_ROOT BUILD_ROOT\n"
                         "       vantor-manifest --package DESCRIPTION SOURCE_ROOT BUILD_ROOT SETUP\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 && argv[1][0] == '-' ? argv[1] : "";
    int first = mode.empty() ? 1 : 2;
    if ((mode == "--check" && argc != 5) || (mode != "--check" && argc != first + 4) ||
        (!mode.empty() && mode != "--check" && mode != "--identity" && mode != "--package")) {
        return Usage();
    }
    Description d;
    d.path = argv[first];
    d.sourceRoot = argv[first + 1];
    d.buildRoot = argv[first + 2];
    if (!ReadDescription(&d)) return 1;
    CheckIdentity(&d);
    if (mode == "--identity") {
        CheckUninstallerIcon(&d, kBuilt);
    } else if (mode != "--package") {
        CheckStage stage = mode == "--check" ? kBeforeBuild : kBuilt;
        CheckFiles(&d, stage);
        CheckPictures(&d, stage);
    }
    if (ProblemCount()) {
        std::fprintf(stderr, "%s: %d problem(s); nothing written\n", d.path.c_str(), ProblemCount());
        return 1;
    }
    if (mode == "--check") return 0;
    std::string out = argv[first + 3];
    if (mode == "--package") return WritePackageManifest(d, out) ? 0 : 1;
    mkdir(out.c_str(), 0777);
    if (!WriteIdentity(d, out)) return 1;
    if (mode == "--identity") return 0;
    return WriteSetupFiles(d, out) ? 0 : 1;
}
