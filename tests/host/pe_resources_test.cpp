// A payload resource found in the demo's linked setup as Windows finds it,
// and no read outside the image whatever its resource directory says; the
// demo's main program's icon read back as the file it was built from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_bytes.h"
#include "pe_headers.h"
#include "pe_icon_group.h"
#include "pe_resources.h"

namespace {

using Image = std::vector<unsigned char>;

const char kBuild[] = VANTOR_SOURCE_DIR "/build/win32/";

bool Read(const std::string& path, Image* bytes)
{
    int error = 0;
    return ReadFileBytes(path.c_str(), bytes, &error) && !bytes->empty();
}

void Put16(Image& image, size_t at, unsigned value)
{
    image[at] = (unsigned char)value;
    image[at + 1] = (unsigned char)(value >> 8);
}

TEST(PeResources, FindsEachPayloadAsPackedAndRefusesWhatIsNotThere)
{
    Image setup, packed;
    if (!Read(std::string(kBuild) + "Vantor.exe", &setup))
        GTEST_SKIP() << "the Windows tree is not built";
    const struct {
        const char* asked;
        const char* file;  // its packed bytes, or none
        const char* why;
    } cases[] = {
        {"README", "payload/README.lz", ""},
        {"uinstall", "payload/UINSTALL.lz", ""},  // names compare without case
        {"READM", nullptr, "no resource named READM"},
        {"README2", nullptr, "no resource named README2"},
        {"", nullptr, "no resource named "},
    };
    for (const auto& c : cases) {
        size_t offset = 0, size = 0;
        std::string why;
        bool found = FindPeResource(setup, kPeRcData, c.asked, &offset, &size, &why);
        EXPECT_EQ(found, c.file != nullptr) << c.asked;
        EXPECT_EQ(why, c.why) << c.asked;
        if (!found)
            continue;
        ASSERT_TRUE(Read(std::string(kBuild) + c.file, &packed)) << c.file;
        EXPECT_TRUE(Image(setup.begin() + offset, setup.begin() + offset + size) == packed)
            << c.asked;
    }
    size_t offset, size;
    std::string why;
    EXPECT_FALSE(FindPeResource(setup, 3, "README", &offset, &size, &why));  // no icon by name
    EXPECT_FALSE(FindPeResource(Image(setup.begin(), setup.begin() + 1024), kPeRcData, "README",
                                &offset, &size, &why));
}

// Every word of the directory's tables and the names, made as large as it
// can be or pointing back at itself: found or not, the answer lies inside
// the image (and the sanitizers see every read).
TEST(PeResources, AnyDirectoryWordBrokenStaysInsideTheImage)
{
    Image setup;
    if (!Read(std::string(kBuild) + "Vantor.exe", &setup))
        GTEST_SKIP() << "the Windows tree is not built";
    unsigned rva = 0, size = 0;
    ASSERT_TRUE(PeDirectory(setup, 2, &rva, &size));
    // The tables, names and data entries come before the data.
    const unsigned tables = 2048;
    size_t directory = PeFileOffset(setup, rva, tables);
    ASSERT_NE(directory, 0u);
    int refused = 0;
    for (size_t at = directory; at < directory + tables; at += 2) {
        unsigned was = PeRead16(setup, at);
        for (unsigned value : {0xffffu, 0x8000u, 0u}) {
            Put16(setup, at, value);
            size_t offset = 0, length = 0;
            std::string why;
            if (FindPeResource(setup, kPeRcData, "README", &offset, &length, &why))
                EXPECT_LE(offset + length, setup.size()) << "word at " << at;
            else
                refused++;
        }
        Put16(setup, at, was);
    }
    EXPECT_GT(refused, 0);
}

// Where the data entry of the resource whose data lies at `offset` is, in
// the resource directory that starts at `directory`.
size_t DataEntry(const Image& image, size_t directory, size_t offset, size_t size)
{
    size_t at = directory;
    while (at + 8 < image.size() &&
           (PeRead32(image, at + 4) != size || PeFileOffset(image, PeRead32(image, at), 1) != offset))
        at += 4;
    return at;
}

// The program as a 64-bit one would lay out its headers: the optional
// header's image base and stack and heap sizes eight bytes each, so the
// directories and the section table come 16 bytes later.
Image Widened(const Image& program)
{
    size_t pe = PeRead32(program, 0x3c), optional = pe + 24;
    size_t sections = optional + PeRead16(program, pe + 20);
    Image wide(program.begin(), program.begin() + optional);
    wide[pe + 20] += 16;
    auto copy = [&](size_t from, size_t to) {
        wide.insert(wide.end(), program.begin() + optional + from, program.begin() + optional + to);
    };
    auto widen = [&](size_t at) {
        copy(at, at + 4);
        wide.insert(wide.end(), 4, 0);
    };
    copy(0, 24);
    widen(28);
    copy(32, 72);
    for (size_t at = 72; at < 88; at += 4)
        widen(at);
    copy(88, sections - optional + 40 * PeRead16(program, pe + 6));
    Put16(wide, optional, 0x20b);
    // The headers' padding after the table gives up the 16 bytes.
    size_t rest = wide.size();
    wide.insert(wide.end(), program.begin() + rest, program.end());
    return wide;
}

TEST(PeIconGroup, ProgramsIconIsTheFileItWasBuiltFromElseTheReason)
{
    Image program, file, ico;
    if (!Read(std::string(kBuild) + "quorvel/Quorvel.exe", &program))
        GTEST_SKIP() << "the Windows tree is not built";
    ASSERT_TRUE(Read(VANTOR_SOURCE_DIR "/quorvel/Quorvel.ico", &file));
    std::string why;
    ASSERT_TRUE(ReadPeIconGroup(program, &ico, &why)) << why;
    EXPECT_EQ(ico, file);
    ASSERT_TRUE(ReadPeIconGroup(Widened(program), &ico, &why)) << "64-bit: " << why;
    EXPECT_EQ(ico, file) << "64-bit";

    unsigned rva, length;
    size_t group, groupSize, icon, iconSize;
    ASSERT_TRUE(PeDirectory(program, 2, &rva, &length));
    ASSERT_TRUE(FindFirstPeResource(program, kPeGroupIcon, &group, &groupSize, &why));
    ASSERT_TRUE(FindPeResourceById(program, kPeIcon, 1, &icon, &iconSize, &why));
    size_t directory = PeFileOffset(program, rva, length), root = directory + 16;
    while (root + 8 < program.size() && PeRead32(program, root) != kPeGroupIcon)
        root += 8;
    const struct {
        size_t at;
        unsigned value;  // a 16-bit word written there
        const char* why;
    } cases[] = {
        {PeRead32(program, 0x3c) + 24 + 96 + 2 * 8 + 4, 0,
         "no resource directory: not a PE image with resources"},
        {root, kPeGroupIcon + 1, "no resources of type 14"},
        {group + 6 + 14 + 12, 9, "the first icon group names icon 9: no resource numbered 9"},
        {group + 4, 3, "the first icon group counts 3 icons but holds 2"},
        {DataEntry(program, directory, icon, iconSize) + 2, 0x7fff,
         "the first icon group names icon 1: the data of resource numbered 1 lies outside the file"},
        {DataEntry(program, directory, group, groupSize) + 4, 5,
         "the first icon group does not start as an icon directory"},
    };
    for (const auto& c : cases) {
        Image broken = program;
        Put16(broken, c.at, c.value);
        EXPECT_FALSE(ReadPeIconGroup(broken, &ico, &why));
        EXPECT_EQ(why, c.why);
        EXPECT_TRUE(ico.empty()) << c.why;
    }
}

}  // namespace
