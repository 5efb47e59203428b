// vantor-pack as the build runs it: round trips through files, and every
// kind of bad call ends with a message, a failing exit code and no output
// file, half-written or otherwise.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class VantorPackCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vantor-pack-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    void Write(const std::string& name, const std::string& content) const
    {
        std::ofstream(Path(name), std::ios::binary) << content;
    }

    std::string Read(const std::string& name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    bool Exists(const std::string& name) const
    {
        struct stat st;
        return stat(Path(name).c_str(), &st) == 0;
    }

    // Names in the folder, to catch stray temporary files.
    std::vector<std::string> Listing() const
    {
        std::vector<std::string> names;
        DIR* d = opendir(dir_.c_str());
        while (dirent* e = d ? readdir(d) : nullptr)
            if (e->d_name[0] != '.')
                names.push_back(e->d_name);
        if (d)
            closedir(d);
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs the packer with the arguments as given (already quoted where
    // needed); returns the exit code and keeps both output streams.
    int Run(const std::string& args)
    {
        std::string cmd = std::string("'") + VANTOR_PACK_PATH + "' " + args + " >'" +
                          Path(".out") + "' 2>'" + Path(".err") + "'";
        int status = std::system(cmd.c_str());
        out_ = Read(".out");
        err_ = Read(".err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string dir_, out_, err_;
};

std::string SampleText()
{
    std::string s;
    for (int i = 0; i < 2000; i++)
        s += "line " + std::to_string(i % 37) + " of the read-me\r\n";
    return s;
}

TEST_F(VantorPackCli, PacksAndUnpacksThroughFiles)
{
    std::string text = SampleText();
    Write("in.txt", text);
    ASSERT_EQ(Run("pack '" + Path("in.txt") + "' '" + Path("in.lz") + "'"), 0) << err_;
    std::string packed = Read("in.lz");
    EXPECT_LT(packed.size(), text.size() / 4);
    EXPECT_EQ(out_, Path("in.txt") + ": " + std::to_string(text.size()) + " -> " +
                        std::to_string(packed.size()) + " bytes\n");

    ASSERT_EQ(Run("unpack '" + Path("in.lz") + "' '" + Path("back.txt") + "' " +
                  std::to_string(text.size())),
              0)
        << err_;
    EXPECT_EQ(Read("back.txt"), text);
    EXPECT_EQ(Listing(), (std::vector<std::string>{"back.txt", "in.lz", "in.txt"}));
}

// Both levels round trip; the strong one is the default and never larger.
TEST_F(VantorPackCli, LevelsPackAndUnpack)
{
    std::string text = SampleText();
    for (int i = 0; i < 300; i++)
        text += "entry " + std::to_string(i * 7919 % 1000) + ": see line " +
                std::to_string(i % 41) + "\r\n";
    Write("in.txt", text);
    std::string packed[3];
    const char* const levels[3] = {"-1", "-9", ""};
    for (int k = 0; k < 3; k++) {
        std::string name = std::string("in") + levels[k] + ".lz";
        ASSERT_EQ(Run(std::string("pack ") + levels[k] + " '" + Path("in.txt") + "' '" +
                      Path(name) + "'"),
                  0)
            << levels[k] << ": " << err_;
        packed[k] = Read(name);
        ASSERT_EQ(Run("unpack '" + Path(name) + "' '" + Path("back.txt") + "' " +
                      std::to_string(text.size())),
                  0)
            << levels[k] << ": " << err_;
        EXPECT_EQ(Read("back.txt"), text) << levels[k];
    }
    EXPECT_LT(packed[1].size(), packed[0].size());
    EXPECT_EQ(packed[2], packed[1]) << "the default is -9";
}

TEST_F(VantorPackCli, BadLevelsAreRefused)
{
    Write("in.txt", SampleText());
    for (const char* option : {"-0", "-5", "-19", "--9", "-x", "-9x"}) {
        EXPECT_EQ(Run(std::string("pack ") + option + " '" + Path("in.txt") + "' '" +
                      Path("out.lz") + "'"),
                  2)
            << option;
        EXPECT_NE(err_.find(std::string("'") + option + "'"), std::string::npos)
            << option << ": " << err_;
        EXPECT_NE(err_.find("-1 or -9"), std::string::npos) << option << ": " << err_;
    }
    // One level only, and it comes before the files.
    for (const std::string& args :
         {"pack -1 -9 '" + Path("in.txt") + "' '" + Path("out.lz") + "'",
          "pack '" + Path("in.txt") + "' '" + Path("out.lz") + "' -9", std::string("pack -9")}) {
        EXPECT_EQ(Run(args), 2) << args;
        EXPECT_NE(err_.find("usage"), std::string::npos) << args << ": " << err_;
    }
    EXPECT_EQ(Listing(), std::vector<std::string>{"in.txt"});
}

// A payload entry holds 32-bit sizes; a larger file is refused before it
// is read (a sparse file, so the test costs nothing).
TEST_F(VantorPackCli, InputBeyondThePayloadLimitIsRefused)
{
    Write("huge", "");
    ASSERT_EQ(truncate(Path("huge").c_str(), (off_t)1 << 32), 0);
    EXPECT_EQ(Run("pack -1 '" + Path("huge") + "' '" + Path("huge.lz") + "'"), 1);
    EXPECT_NE(err_.find("too large"), std::string::npos) << err_;
    EXPECT_NE(err_.find("4294967296 bytes, the most is 4294967295"), std::string::npos) << err_;
    EXPECT_EQ(Listing(), std::vector<std::string>{"huge"});
}

TEST_F(VantorPackCli, EmptyFilePacksToEmptyStream)
{
    Write("empty", "");
    ASSERT_EQ(Run("pack '" + Path("empty") + "' '" + Path("empty.lz") + "'"), 0) << err_;
    EXPECT_TRUE(Exists("empty.lz"));
    EXPECT_EQ(Read("empty.lz"), "");
    ASSERT_EQ(Run("unpack '" + Path("empty.lz") + "' '" + Path("back") + "' 0"), 0) << err_;
    EXPECT_TRUE(Exists("back"));
    EXPECT_EQ(Read("back"), "");
}

TEST_F(VantorPackCli, MissingOrUnreadableInputLeavesOutputAlone)
{
    Write("old.lz", "previous content");
    EXPECT_NE(Run("pack '" + Path("nope.txt") + "' '" + Path("old.lz") + "'"), 0);
    EXPECT_NE(err_.find("nope.txt"), std::string::npos) << err_;
    EXPECT_EQ(Read("old.lz"), "previous content");

    EXPECT_NE(Run("unpack '" + Path("nope.lz") + "' '" + Path("new.bin") + "' 10"), 0);
    EXPECT_NE(err_.find("nope.lz"), std::string::npos) << err_;
    // The setup's icon: the program and the painted icon are both needed.
    EXPECT_NE(Run("icon '" + Path("nope.exe") + "' '" + Path("old.lz") + "' '" + Path("new.ico") + "'"),
              0);
    EXPECT_NE(err_.find("nope.exe"), std::string::npos) << err_;
    EXPECT_NE(Run("icon '" + Path("old.lz") + "' '" + Path("nope.ico") + "' '" + Path("new.ico") + "'"),
              0);
    EXPECT_NE(err_.find("nope.ico"), std::string::npos) << err_;

    // A folder opens but cannot be read as a file.
    mkdir(Path("folder").c_str(), 0777);
    EXPECT_NE(Run("pack '" + Path("folder") + "' '" + Path("new.lz") + "'"), 0);
    EXPECT_FALSE(err_.empty());
    EXPECT_EQ(Listing(), (std::vector<std::string>{"folder", "old.lz"}));
}

TEST_F(VantorPackCli, SizeMustBeAPlainDecimalNumber)
{
    Write("in.lz", std::string("\x93\x00\x00", 3));
    for (const char* size : {"12x", "-5", "+5", "' 5'", "''", "0x10", "4294967296", "1e3"}) {
        EXPECT_NE(Run("unpack '" + Path("in.lz") + "' '" + Path("out.bin") + "' " + size), 0)
            << size;
        EXPECT_NE(err_.find("SIZE"), std::string::npos) << size << ": " << err_;
        EXPECT_FALSE(Exists("out.bin")) << size;
    }
    ASSERT_EQ(Run("unpack '" + Path("in.lz") + "' '" + Path("out.bin") + "' 0010"), 0) << err_;
    EXPECT_EQ(Read("out.bin"), std::string(10, ' '));
}

TEST_F(VantorPackCli, WrongCallsShowUsage)
{
    Write("in.txt", "x");
    for (const std::string& args :
         {std::string(""), std::string("pack"), "pack '" + Path("in.txt") + "'",
          "pack '" + Path("in.txt") + "' '" + Path("a") + "' extra",
          "unpack '" + Path("in.txt") + "' '" + Path("a") + "'",
          "icon '" + Path("in.txt") + "' '" + Path("in.txt") + "'",
          "squeeze '" + Path("in.txt") + "' '" + Path("a") + "'"}) {
        EXPECT_NE(Run(args), 0) << args;
        EXPECT_NE(err_.find("usage"), std::string::npos) << args << ": " << err_;
    }
    EXPECT_EQ(Listing(), std::vector<std::string>{"in.txt"});
}

TEST_F(VantorPackCli, UnwritableOutputLeavesNoFiles)
{
    Write("in.txt", SampleText());
    // The output's folder does not exist: nothing can be created.
    EXPECT_NE(Run("pack '" + Path("in.txt") + "' '" + Path("missing/out.lz") + "'"), 0);
    EXPECT_NE(err_.find("missing/out.lz"), std::string::npos) << err_;
    // The output name is a folder: the data is written, the rename fails,
    // and the temporary file must go.
    mkdir(Path("taken").c_str(), 0777);
    EXPECT_NE(Run("pack '" + Path("in.txt") + "' '" + Path("taken") + "'"), 0);
    EXPECT_FALSE(err_.empty());
    EXPECT_EQ(Listing(), (std::vector<std::string>{"in.txt", "taken"}));
}

// The setup's icon of a file that is no program is the painted one.
TEST_F(VantorPackCli, IconOfNoProgramIsThePaintedOne)
{
    Write("readme.txt", "MZ, but no program");
    Write("painted.ico", "painted");
    ASSERT_EQ(Run("icon '" + Path("readme.txt") + "' '" + Path("painted.ico") + "' '" +
                  Path("icon.ico") + "'"),
              0)
        << err_;
    EXPECT_EQ(Read("icon.ico"), "painted");
    EXPECT_EQ(out_, Path("icon.ico") + ": the painted icon " + Path("painted.ico") + ", as " +
                        Path("readme.txt") +
                        " has none: no resource directory: not a PE image with resources\n");
}

}  // namespace
