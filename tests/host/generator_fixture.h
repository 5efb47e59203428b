// A scratch product for the generator's tests: a folder with small files,
// the built uninstaller, their packed stand-ins, the pictures the build
// paints and a licence, and a description of it that each test changes
// where it needs to. The folder is both the product's and the build's.
#ifndef VANTOR_TESTS_GENERATOR_FIXTURE_H
#define VANTOR_TESTS_GENERATOR_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

class ManifestGenerator : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vantor-manifest-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        for (const char* sub : {"/payload", "/uninstaller", "/pictures", "/resources"}) {
            mkdir((dir_ + sub).c_str(), 0777);
        }
        Write("uninstaller/A.exe", std::string(5000, 'a'));
        Write("a.exe", std::string(5000, 'a'));
        Write("b.txt", "hello\r\n");
        Write("empty.txt", "");
        Write("payload/AAA.lz", std::string(1200, 'p'));
        Write("payload/BBB.lz", "pp");
        Write("payload/EMPTY.lz", "");
        for (const char* resource : {"CCC", "DDD", "EEE", "FFF"}) {
            Write(std::string("payload/") + resource + ".lz", "pp");
        }
        // The pictures where the build paints them, and a licence.
        for (const char* name : {"computer.bmp", "startmenu.bmp", "banner.bmp", "strip.bmp",
                                 "line.bmp", "setup.ico", "shortcut.ico"}) {
            Write(std::string("pictures/") + name, Painted(name));
        }
        // The setup's icon as the build takes it: entry 2's, else the painted one.
        Write("pictures/product.ico", Painted("setup.ico"));
        Write("resources/license.txt", "Use it well.\r\n");
    }

    static std::string Painted(const std::string& name)
    {
        std::ifstream in(std::string(VANTOR_SOURCE_DIR) + "/resources/" + name, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void TearDown() override { std::system(("rm -rf " + dir_).c_str()); }

    void Write(const std::string& name, const std::string& text)
    {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << text;
    }

    std::string Read(const std::string& name)
    {
        std::ifstream in(dir_ + "/" + name, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    static std::string Description(const std::string& overrides, const std::string& entries)
    {
        std::string base =
            "name Quorvel\nversion 3.02\ntagline The ledger that balances itself!\n"
            "publisher Brindlemoor\nwebpage http://www.brindlemoor.com/quorvel/\n"
            "timestamp 2006-12-24 03:02:00.000\nweekday 0\nshortcuts 1\n"
            "preserve .KEY .DAT .PRD .PRA\n"
            "support support@brindlemoor.com\nhomepage http://www.brindlemoor.com/\n"
            "rights Copyright (C) 1996-%d Brindlemoor. | Written by Tamsin Orrow.\n"
            "visit For more great software utilities | be sure to visit us at | "
            "http://www.brindlemoor.com/\n"
            "copyright Copyright (C) 2006 Brindlemoor\nlicence resources/license.txt\n"
            "banner BRINDLEMOOR\nslogan Software that just works\nsideband Brindlemoor\n";
        return base + overrides + entries;
    }

    // The uninstaller, the given entry lines and four plain ones, so that
    // the table has the five places the setup reads by position.
    static std::string Table(const std::string& lines)
    {
        return "entry | A.exe | 0x12 | AAA | Alpha | @uninstaller\n" + lines +
               "entry | C.txt | 0x11 | CCC | C | b.txt\n"
                       "entry | D.txt | 0x11 | DDD | D | b.txt\n"
                       "entry | E.txt | 0x11 | EEE | E | b.txt\n"
                       "entry | F.txt | 0x11 | FFF | F | b.txt\n";
    }

    static std::string SixEntries() { return Table("entry | B.txt | 0x11 | BBB | Read Me | b.txt\n"); }

    // Runs a shell command; returns its exit status and fills its output.
    static int Run(const std::string& command, std::string* output)
    {
        FILE* pipe = popen((command + " 2>&1").c_str(), "r");
        char buf[512];
        output->clear();
        while (fgets(buf, sizeof buf, pipe)) *output += buf;
        return pclose(pipe);
    }

    // Runs the generator (the full form, or --identity or --check).
    int Generate(const std::string& description, std::string* messages, const std::string& form = "")
    {
        Write("product.txt", description);
        return Run(std::string(VANTOR_MANIFEST_PATH) + " " + form + " " + dir_ + "/product.txt " + dir_ + " " +
                       dir_ + (form == "--check" ? "" : " " + dir_ + "/out"),
                   messages);
    }

    void ExpectRefused(const std::string& description, const std::string& field,
                       const std::string& form = "")
    {
        std::string messages;
        std::system(("rm -rf " + dir_ + "/out").c_str());  // what an accepted run wrote
        EXPECT_NE(Generate(description, &messages, form), 0) << description;
        EXPECT_NE(messages.find(field), std::string::npos) << "expected '" << field << "' in: " << messages;
        EXPECT_NE(access((dir_ + "/out/manifest_data.inc").c_str(), F_OK), 0)
            << "no manifest may be written for a refused description";
    }

    std::string dir_;
};

#endif
