// What the shipped programs carry in their files: the DLLs they import, the
// flags that keep their place and their data from serving an attack, and
// the setup's version record.
#include <gtest/gtest.h>

#include <windows.h>
#include <imagehlp.h>
#include <string.h>

#include <string>
#include <vector>

#include "dll_search.h"
#include "install_state.h"
#include "product_identity.h"
#include "test_support.h"

namespace {

// Windows always takes these from its system folder (the KnownDLLs), so a
// copy beside the program is never loaded in their place.
const char* const kKnownDlls[] = {
    "kernel32.dll", "user32.dll",   "gdi32.dll",    "advapi32.dll", "shell32.dll",
    "ole32.dll",    "oleaut32.dll", "msvcrt.dll",   "shlwapi.dll",  "comdlg32.dll",
    "imm32.dll",    "rpcrt4.dll",   "sechost.dll",  "combase.dll",  "ws2_32.dll",
    "setupapi.dll", "psapi.dll",    "imagehlp.dll", "normaliz.dll", "nsi.dll",
    "wldap32.dll",  "msctf.dll",    "difxapi.dll",  "clbcatq.dll",  "gdiplus.dll",
    "shcore.dll",   "coml2.dll",
};

const char* const kShippedPrograms[] = {
    PRODUCT_OUTPUT_FILE,
    "uninstaller\\Qorvunst.exe",
    "quorvel\\Pembrix.exe",
    "quorvel\\Quorvel.exe",
};

// The file offset of a relative virtual address, through the section table.
bool FileOffset(const std::string& image, const IMAGE_NT_HEADERS32* nt, DWORD rva, DWORD* offset)
{
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        DWORD size = section->Misc.VirtualSize ? section->Misc.VirtualSize : section->SizeOfRawData;
        if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size) {
            *offset = rva - section->VirtualAddress + section->PointerToRawData;
            return *offset < image.size();
        }
    }
    return false;
}

// The headers of a 32-bit PE image with its whole section table; null for
// anything else.
const IMAGE_NT_HEADERS32* NtHeaders(const std::string& image)
{
    if (image.size() < sizeof(IMAGE_DOS_HEADER)) {
        return NULL;
    }
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)image.data();
    if (dos->e_magic != IMAGE_DOS_SIGNATURE ||
        (size_t)dos->e_lfanew + sizeof(IMAGE_NT_HEADERS32) > image.size()) {
        return NULL;
    }
    const IMAGE_NT_HEADERS32* nt = (const IMAGE_NT_HEADERS32*)(image.data() + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC ||
        (size_t)((const char*)(IMAGE_FIRST_SECTION(nt) + nt->FileHeader.NumberOfSections) -
                 image.data()) > image.size()) {
        return NULL;
    }
    return nt;
}

// The names of the DLLs the image imports, statically and by delay load;
// false when the file is no 32-bit PE image or its tables lie outside it.
bool ImportedDlls(const std::string& image, std::vector<std::string>* names)
{
    const IMAGE_NT_HEADERS32* nt = NtHeaders(image);
    if (nt == NULL) {
        return false;
    }
    const struct {
        int directory;
        size_t recordSize;
        size_t nameField;
    } tables[] = {
        {IMAGE_DIRECTORY_ENTRY_IMPORT, sizeof(IMAGE_IMPORT_DESCRIPTOR),
         offsetof(IMAGE_IMPORT_DESCRIPTOR, Name)},
        {IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT, 32, 4},  // the delay-load record's DllNameRVA
    };
    for (const auto& table : tables) {
        DWORD rva = nt->OptionalHeader.DataDirectory[table.directory].VirtualAddress;
        DWORD offset;
        if (rva == 0) {
            continue;
        }
        if (!FileOffset(image, nt, rva, &offset)) {
            return false;
        }
        for (;; offset += table.recordSize) {
            if (offset + table.recordSize > image.size()) {
                return false;
            }
            DWORD nameRva = *(const DWORD*)(image.data() + offset + table.nameField);
            if (nameRva == 0) {
                break;
            }
            DWORD nameOffset;
            if (!FileOffset(image, nt, nameRva, &nameOffset)) {
                return false;
            }
            names->push_back(image.c_str() + nameOffset);
        }
    }
    return true;
}

bool IsKnownDll(const std::string& name)
{
    for (const char* known : kKnownDlls) {
        if (lstrcmpiA(name.c_str(), known) == 0) {
            return true;
        }
    }
    return false;
}

TEST(ShippedPrograms, ImportOnlyDllsWindowsTakesFromItsSystemFolder)
{
    for (const char* program : kShippedPrograms) {
        SCOPED_TRACE(program);
        std::string image;
        ASSERT_TRUE(ReadWholeFile(program, &image));
        std::vector<std::string> names;
        ASSERT_TRUE(ImportedDlls(image, &names));
        bool kernel = false;
        for (const std::string& name : names) {
            EXPECT_TRUE(IsKnownDll(name))
                << name << " would be looked for beside the program first";
            kernel = kernel || lstrcmpiA(name.c_str(), "kernel32.dll") == 0;
        }
        EXPECT_TRUE(kernel) << "the import table was not read";
    }
}

// Windows may place each program anywhere (it asks for it and keeps the
// relocations that needs), and never runs its data: it asks for that too,
// and no section is both writable and executable.
TEST(ShippedPrograms, KeepRandomPlacementAndUnexecutableData)
{
    for (const char* program : kShippedPrograms) {
        SCOPED_TRACE(program);
        std::string image;
        ASSERT_TRUE(ReadWholeFile(program, &image));
        const IMAGE_NT_HEADERS32* nt = NtHeaders(image);
        ASSERT_NE(nt, (const IMAGE_NT_HEADERS32*)NULL);
        const IMAGE_OPTIONAL_HEADER32& optional = nt->OptionalHeader;
        EXPECT_TRUE(optional.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
        EXPECT_TRUE(optional.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
        EXPECT_FALSE(nt->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
        EXPECT_GT(optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size, 0u);
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
            DWORD access = section->Characteristics & (IMAGE_SCN_MEM_WRITE | IMAGE_SCN_MEM_EXECUTE);
            EXPECT_NE(access, (DWORD)(IMAGE_SCN_MEM_WRITE | IMAGE_SCN_MEM_EXECUTE))
                << std::string((const char*)section->Name, strnlen((const char*)section->Name, 8));
        }
    }
}

// The setup's headers are rewritten after linking; the checksum they hold
// is still the one Windows computes for the file.
TEST(ShippedPrograms, SetupKeepsItsChecksum)
{
    std::string image;
    ASSERT_TRUE(ReadWholeFile(PRODUCT_OUTPUT_FILE, &image));
    DWORD stored = 0;
    DWORD computed = 0;
    ASSERT_NE(CheckSumMappedFile((void*)image.data(), (DWORD)image.size(), &stored, &computed),
              (IMAGE_NT_HEADERS*)NULL);
    EXPECT_NE(stored, 0u);
    EXPECT_EQ(stored, computed);
}

// The reader against the loader: every DLL it finds in this test program's
// own table is one the loader has mapped.
TEST(ImportReader, FindsWhatTheLoaderLoaded)
{
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    std::string image;
    ASSERT_TRUE(ReadWholeFile(self, &image));
    std::vector<std::string> names;
    ASSERT_TRUE(ImportedDlls(image, &names));
    ASSERT_GE(names.size(), 3u);
    for (const std::string& name : names) {
        EXPECT_NE(GetModuleHandleA(name.c_str()), (HMODULE)NULL) << name;
    }
    names.clear();
    EXPECT_FALSE(ImportedDlls("MZ", &names)) << "a file that is no image";
    EXPECT_FALSE(IsKnownDll("comctl32.dll"));
}

TEST(DllSearch, LoadsOnlyFromTheSystemFolder)
{
    HMODULE controls = LoadSystemLibrary("comctl32.dll");
    ASSERT_NE(controls, (HMODULE)NULL);
    char path[MAX_PATH];
    char system[MAX_PATH];
    GetModuleFileNameA(controls, path, sizeof path);
    UINT length = GetSystemDirectoryA(system, sizeof system);
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path, length, system, length),
              CSTR_EQUAL)
        << path;
    EXPECT_EQ(LoadSystemLibrary("no-such-library.dll"), (HMODULE)NULL);
}

// The setup says what it is, as the product's own programs do. version.dll
// is no known DLL: the test loads it, the setup never needs it.
TEST(SetupVersion, CarriesTheProductsIdentity)
{
    HMODULE version = LoadSystemLibrary("version.dll");
    ASSERT_NE(version, (HMODULE)NULL);
    typedef DWORD(WINAPI * SizeProc)(LPCSTR, LPDWORD);
    typedef BOOL(WINAPI * InfoProc)(LPCSTR, DWORD, DWORD, LPVOID);
    typedef BOOL(WINAPI * QueryProc)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    SizeProc getSize = (SizeProc)(void*)GetProcAddress(version, "GetFileVersionInfoSizeA");
    InfoProc getInfo = (InfoProc)(void*)GetProcAddress(version, "GetFileVersionInfoA");
    QueryProc query = (QueryProc)(void*)GetProcAddress(version, "VerQueryValueA");
    ASSERT_TRUE(getSize && getInfo && query);

    char path[MAX_PATH];
    GetFullPathNameA("Vantor.exe", sizeof path, path, NULL);
    DWORD size = getSize(path, NULL);
    ASSERT_GT(size, 0u) << "no version record";
    std::vector<char> data(size);
    ASSERT_TRUE(getInfo(path, 0, size, data.data()));

    const struct {
        const char* name;
        std::string value;
    } strings[] = {
        {"CompanyName", PRODUCT_PUBLISHER},
        {"ProductName", PRODUCT_NAME},
        {"ProductVersion", PRODUCT_VERSION},
        {"FileVersion", PRODUCT_VERSION},
        {"FileDescription", std::string(PRODUCT_NAME) + " Setup"},
        {"LegalCopyright", "Copyright (C) " + std::to_string(g_setup.manifest.fileTime.year) +
                               " " + PRODUCT_PUBLISHER},
        {"OriginalFilename", "Vantor.exe"},
    };
    for (const auto& s : strings) {
        std::string key = std::string("\\StringFileInfo\\040904E4\\") + s.name;
        char* value = NULL;
        UINT length = 0;
        ASSERT_TRUE(query(data.data(), key.c_str(), (void**)&value, &length)) << s.name;
        EXPECT_EQ(std::string(value), s.value) << s.name;
    }
    VS_FIXEDFILEINFO* fixed = NULL;
    UINT length = 0;
    ASSERT_TRUE(query(data.data(), "\\", (void**)&fixed, &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(PRODUCT_VERSION_MINOR, PRODUCT_VERSION_MAJOR));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(PRODUCT_VERSION_MINOR, PRODUCT_VERSION_MAJOR));
}

}  // namespace
