// The sample description a publisher starts from explains every key the
// reader takes and no other, and the folder new-product.sh makes from it
// passes the build's check as it stands.
#include "generator_fixture.h"

#include <regex>
#include <set>

#include "description.h"

namespace {

TEST(SampleDescription, ExplainsEveryKeyTheReaderTakesAndNoOther)
{
    std::ifstream in(std::string(VANTOR_SOURCE_DIR) + "/products/sample/product.txt");
    ASSERT_TRUE(in);
    // A key stands at the start of a line, or right after "#" where the
    // sample shows a key that may be left out.
    const std::regex keyed("^#?([a-z]+)( |$)");
    std::set<std::string> shown;
    std::string line;
    while (std::getline(in, line)) {
        std::smatch match;
        if (std::regex_search(line, match, keyed)) shown.insert(match[1]);
    }
    std::vector<std::string> keys = DescriptionKeys();
    for (const std::string& key : keys) EXPECT_EQ(shown.count(key), 1u) << key << " is not in the sample";
    for (const std::string& key : shown) {
        EXPECT_NE(std::find(keys.begin(), keys.end(), key), keys.end()) << key << " is no key of the reader";
    }
}

TEST_F(ManifestGenerator, NewProductWritesACheckedFolderOnceNamedAfterIt)
{
    const std::string script = std::string(VANTOR_SOURCE_DIR) + "/scripts/new-product.sh ";
    const std::string folder = dir_ + "/Tidewell";
    std::string output;
    ASSERT_EQ(Run(script + folder, &output), 0) << output;
    std::string description = Read("Tidewell/product.txt");
    EXPECT_NE(description.find("\nname       Tidewell\n"), std::string::npos) << description;
    // Checked here too, not only by the script's own word.
    ASSERT_EQ(Run(std::string(VANTOR_MANIFEST_PATH) + " --check " + folder + "/product.txt " + folder + " " +
                      dir_, &output), 0) << output;

    // Nothing of the publisher's is overwritten: not the description, nor
    // a licence already there.
    Write("Tidewell/product.txt", "name Mine\n");
    EXPECT_NE(Run(script + folder, &output), 0);
    EXPECT_EQ(Read("Tidewell/product.txt"), "name Mine\n");
    mkdir((dir_ + "/Fenlock").c_str(), 0777);
    Write("Fenlock/licence.txt", "Our own terms.\n");
    EXPECT_NE(Run(script + dir_ + "/Fenlock", &output), 0);
    EXPECT_NE(output.find("licence.txt is there already; nothing was written"), std::string::npos) << output;
    EXPECT_EQ(access((dir_ + "/Fenlock/product.txt").c_str(), F_OK), -1);
    EXPECT_EQ(Read("Fenlock/licence.txt"), "Our own terms.\n");
}

}  // namespace
