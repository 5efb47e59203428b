// The destination as the pass holds it: the access list of the folders it
// makes, links at or above the destination refused, and a destination
// swapped for a link while the pass runs. Wine makes no links itself, so
// the host makes them (tests/linked_destination.sh, swapped_destination.sh).
#include <gtest/gtest.h>

#include <string>

#include "folder_access.h"
#include "install_pass.h"
#include "pass_fixture.h"

namespace {

const char kChangedText[] =
    "The destination folder leads through a link, or was moved while in use!\r\n"
    "Installation will now be aborted.";

TEST(FolderAccess, TheDescriptorHoldsOnlyTheProtectedList)
{
    PSECURITY_DESCRIPTOR descriptor = MakeProtectedFolderDescriptor();
    ASSERT_NE(descriptor, nullptr);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision;
    BOOL present = FALSE, defaulted = TRUE;
    PACL list = NULL;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "nothing inherited from above";
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted) && present);
    ASSERT_EQ(list->AceCount, 3);
    const struct {
        WELL_KNOWN_SID_TYPE who;
        DWORD mask;
    } expected[] = {{WinLocalSystemSid, FILE_ALL_ACCESS},
                    {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
                    {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE}};
    for (int i = 0; i < 3; ++i) {
        ACCESS_ALLOWED_ACE* ace = NULL;
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof sid;
        ASSERT_TRUE(GetAce(list, i, (void**)&ace) &&
                    CreateWellKnownSid(expected[i].who, NULL, sid, &size));
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE) << i;
        EXPECT_EQ(ace->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) << i;
        EXPECT_EQ(ace->Mask, expected[i].mask) << i;
        EXPECT_TRUE(EqualSid(&ace->SidStart, sid)) << i;
    }
    LocalFree(descriptor);
}

// Links made by the host: in the folder named by VANTOR_LINKS, Linked
// leads to Real, Up to Above, and Real\elsewhere to Outside.
class LinkedDestination : public PassFixture {
protected:
    void SetUp() override
    {
        PassFixture::SetUp();
        top_ = HostFolder("VANTOR_LINKS");
        if (top_.empty()) {
            GTEST_SKIP() << "run by the linked-destination script only";
        }
    }
    std::string top_;
};

TEST_F(LinkedDestination, NeverCleansOrWritesThroughALinkAtOrAboveTheDestination)
{
    for (const char* name : {"\\Linked", "\\Up", "\\Real\\elsewhere"}) {
        DWORD attributes = GetFileAttributesA((top_ + name).c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << name;
        ASSERT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT) << name;
    }
    PlantEarlier(top_ + "\\Above\\Quorvel");
    PlantEarlier(top_ + "\\Real");  // the one recorded
    ASSERT_TRUE(WriteWholeFile(top_ + "\\Outside\\precious.txt", "keep"));
    EXPECT_FALSE(IsReachedThroughLink((top_ + "\\Above\\Quorvel\\").c_str()));
    EXPECT_TRUE(IsReachedThroughLink((top_ + "\\missing").c_str())) << "cannot be looked at";

    // With a closing backslash Wine reports the target, not the link; a
    // missing level below a link is not made either.
    Limit(2);
    for (const std::string& destination :
         {top_ + "\\Linked\\", top_ + "\\Up\\Quorvel", top_ + "\\Up\\New\\Quorvel"}) {
        SCOPED_TRACE(destination);
        EXPECT_TRUE(IsReachedThroughLink(destination.c_str()));
        SetDestination(destination);
        ResetProgress();
        BoxAnswerer boxes(IDOK);
        ASSERT_EQ(InstallFiles(page_), -1);
        ASSERT_EQ(boxes.seen.count, 1);
        EXPECT_EQ(boxes.seen.text, kChangedText);
        EXPECT_EQ(boxes.seen.icon, LoadIconA(NULL, IDI_HAND));
        EXPECT_TRUE(Exists(top_ + "\\Real\\bait.txt"));
        EXPECT_TRUE(Exists(top_ + "\\Above\\Quorvel\\bait.txt"));
        // Refused before anything is written, anywhere.
        EXPECT_FALSE(Exists(top_ + "\\Real\\" + g_setup.manifest.files[1].targetName));
        EXPECT_FALSE(Exists(top_ + "\\Above\\Quorvel\\" + g_setup.manifest.files[1].targetName));
        EXPECT_FALSE(Exists(windows_ + "\\" + g_setup.manifest.files[0].targetName));
        EXPECT_FALSE(Exists(top_ + "\\Above\\New"));
    }

    // By its own path the same folder is cleaned, but not where its own
    // link leads.
    SetDestination(top_ + "\\Real");
    ResetProgress();
    ASSERT_EQ(InstallFiles(page_), 1);
    EXPECT_FALSE(Exists(top_ + "\\Real\\bait.txt"));
    EXPECT_TRUE(Exists(top_ + "\\Outside\\precious.txt"));
}

// The host's script swaps the destination for a link to Protected each
// time the test asks (a "swap" marker) and puts it back on "restore":
// a swap made behind Windows' back, which no share mode stops.
class SwappedDestination : public PassFixture {
protected:
    void SetUp() override
    {
        PassFixture::SetUp();
        s_top = HostFolder("VANTOR_SWAP");
        if (s_top.empty()) {
            GTEST_SKIP() << "run by the swapped-destination script only";
        }
        dest_ = s_top + "\\Dest";
        protected_ = s_top + "\\Protected";
        CreateDirectoryA(protected_.c_str(), NULL);
        PlantEarlier(dest_);
        for (int i = 0; i < 200; ++i) {
            std::string name = "\\stale" + std::to_string(i) + ".txt";
            ASSERT_TRUE(WriteWholeFile(dest_ + name, "stale"));
            ASSERT_TRUE(WriteWholeFile(protected_ + name, "theirs"));
        }
        ASSERT_TRUE(WriteWholeFile(protected_ + "\\config.ini", "theirs"));
        ASSERT_TRUE(WriteWholeFile(protected_ + "\\Quorvel.exe", "theirs"));
        before_ = Listing(protected_);
        SetDestination(dest_);
    }
    void TearDown() override
    {
        ReleaseFolderChain();
        if (!s_top.empty()) {
            Ask("restore");
            RemoveTree(dest_);
            RemoveTree(protected_);
        }
        s_top.clear();
        PassFixture::TearDown();
    }
    // Leaves the marker and waits until the host has acted on it.
    static bool Ask(const char* what)
    {
        std::string marker = s_top + "\\" + what, done = marker + ".done";
        if (!WriteWholeFile(marker, what)) {
            return false;
        }
        for (int i = 0; i < 500 && !Exists(done); ++i) {
            Sleep(20);
        }
        return DeleteFileA(done.c_str()) != 0;
    }
    static void CALLBACK SwapNow(HWND window, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(window, id);
        EXPECT_TRUE(Ask("swap"));
    }
    // Each file's name and contents, in the order listed.
    static std::string Listing(const std::string& folder)
    {
        std::string listing, contents;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return "(missing)";
        }
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                ReadWholeFile(folder + "\\" + found.cFileName, &contents);
                listing += std::string(found.cFileName) + "=" + contents + "\n";
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return listing;
    }

    static std::string s_top;
    std::string dest_, protected_, before_;
};

std::string SwappedDestination::s_top;

TEST_F(SwappedDestination, TheCleaningStopsAtTheFirstDeletionAfterASwap)
{
    ASSERT_EQ(CreateFolderChain(dest_.c_str()), kFolderHeld);
    ASSERT_TRUE(Ask("swap"));
    ASSERT_TRUE(GetFileAttributesA(dest_.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_FALSE(LeadsToHeldFolder(dest_.c_str()));
    EXPECT_FALSE(CleanFolder(dest_.c_str()));
    EXPECT_EQ(Listing(protected_), before_);

    // A pass that starts now finds the link and writes nothing at all.
    ReleaseFolderChain();
    BoxAnswerer boxes(IDOK);
    EXPECT_EQ(InstallFiles(page_), -1);
    EXPECT_EQ(boxes.seen.count, 1);
    EXPECT_EQ(boxes.seen.text, kChangedText);
    EXPECT_EQ(Listing(protected_), before_);
    EXPECT_FALSE(Exists(windows_ + "\\" + g_setup.manifest.files[0].targetName));
}

TEST_F(SwappedDestination, AWriteAfterASwapStopsThePass)
{
    // The swap comes while the pass pauses before its first file, after
    // the cleaning of the real folder.
    SetTimer(page_, 1, 50, SwapNow);
    BoxAnswerer boxes(IDOK);
    EXPECT_EQ(InstallFiles(page_), -1);
    EXPECT_EQ(boxes.seen.count, 1);
    EXPECT_EQ(boxes.seen.text, kChangedText);
    EXPECT_EQ(boxes.seen.icon, LoadIconA(NULL, IDI_HAND));
    EXPECT_EQ(Listing(protected_), before_);
    ASSERT_TRUE(Ask("restore"));
    EXPECT_FALSE(Exists(dest_ + "\\bait.txt")) << "the real folder was cleaned";
    EXPECT_FALSE(Exists(dest_ + "\\stale0.txt"));
}

}  // namespace
