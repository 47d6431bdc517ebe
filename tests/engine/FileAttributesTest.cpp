// Folder attributes: ".attributes" files of loose folders and of "contents.dat", how
// their entries cover paths, and how later entries override earlier ones.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ReportOf.h"
#include "Common/BundleSystem.h"
#include "Common/Exceptions.h"
#include "Common/FileAttributes.h"
#include "PackedSample.h"
#include "StreamTestSupport.h"
#include "TestSupport.h"

namespace {

using ::testing::HasSubstr;
using TestSupport::PackedFile;
using TestSupport::PackedFolder;
using TestSupport::PackedItem;

Zep::FileAttributes& Attributes() {
    return Zep::FileAttributes::GetInstance();
}

// Mounts content into the process-wide bundle system, loose or packed, and loads the
// attributes from it.
class FileAttributesFixture : public StreamTestSupport::HeapFixture {
protected:
    void TearDown() override {
        Zep::BundleSystem* bundles = Zep::BundleSystem::GetInstance();
        for (const std::string& path : mounted)
            EXPECT_TRUE(bundles->Unmount(path));
        // Leaves nothing behind for the tests that follow.
        Attributes().LoadAll();
        HeapFixture::TearDown();
    }

    void MountLoose(const std::vector<PackedItem>& items, const std::string& name = "loose") {
        const std::string folder = temp.File(name);
        std::filesystem::create_directories(folder);
        for (const PackedItem& item : items) {
            if (item.folder)
                std::filesystem::create_directories(folder + "/" + item.name);
            else
                TestSupport::WriteFile(folder + "/" + item.name, item.data);
        }
        Zep::BundleSystem::GetInstance()->MountDirectory(folder);
        mounted.push_back(folder);
    }

    void MountPacked(const std::vector<PackedItem>& items) {
        const std::string file = temp.File("contents.dat");
        TestSupport::WriteFile(file, TestSupport::BuildPacked(items));
        Zep::BundleSystem::GetInstance()->MountPackage(file, Zep::FS_OPEN_READ);
        mounted.push_back(file);
    }

    TestSupport::TempFolder temp;
    std::vector<std::string> mounted;
};

// The same content, loose and inside "contents.dat".
class FileAttributesTest : public FileAttributesFixture, public ::testing::WithParamInterface<bool> {
protected:
    void Load(const std::vector<PackedItem>& items) {
        if (GetParam())
            MountPacked(items);
        else
            MountLoose(items);
        Attributes().LoadAll();
    }
};

INSTANTIATE_TEST_SUITE_P(Content, FileAttributesTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Packed" : "Loose"; });

TEST_P(FileAttributesTest, ARootEntryCoversEveryPathAndNamesIgnoreCase) {
    Load({PackedFile(".attributes", "\"*\" MipMaps \"true\"\n"), PackedFolder("scenes"),
          PackedFile("scenes/a.png", "")});
    EXPECT_TRUE(Attributes().GetBool("scenes/a.png", "mipmaps", false));
    EXPECT_TRUE(Attributes().GetBool("anything/at/all.dds", "MIPMAPS", false));
    EXPECT_EQ("true", Attributes().GetString("x", "MipMaps", "default"));
    EXPECT_EQ("default", Attributes().GetString("scenes/a.png", "PixelAccess", "default"));
    EXPECT_TRUE(Attributes().GetBool("scenes/a.png", "PixelAccess", true));
}

TEST_P(FileAttributesTest, DeeperFoldersAndLaterLinesOverride) {
    Load({PackedFile(".attributes", "\"*\" MipMaps \"true\"\n\"scenes\" PixelAccess \"true\"\n"), PackedFolder("ui"),
          PackedFile("ui/.attributes",
                     "\"*\" MipMaps \"false\"\n\"*\" Quality \"low\"\n"
                     "\"*\" Quality \"high\"\n"),
          PackedFolder("ui/deep"), PackedFile("ui/deep/.attributes", "\"*\" MipMaps \"True\""), PackedFolder("scenes"),
          PackedFile("scenes/a.png", "")});
    EXPECT_FALSE(Attributes().GetBool("ui/button.png", "MipMaps", true));
    EXPECT_TRUE(Attributes().GetBool("scenes/a.png", "MipMaps", false));
    EXPECT_TRUE(Attributes().GetBool("ui/deep/icon.png", "MipMaps", false));
    EXPECT_EQ("high", Attributes().GetString("ui/button.png", "quality", ""));
    EXPECT_EQ("", Attributes().GetString("scenes/a.png", "quality", ""));
    EXPECT_TRUE(Attributes().GetBool("Scenes/B.png", "PixelAccess", false)) << "a subfolder named in its parent";
}

TEST_P(FileAttributesTest, FileKeysLoseTheirExtensionAndMatchAsTextPrefixes) {
    Load({PackedFolder("ui"),
          PackedFile("ui/.attributes",
                     "# comments and blanks may stand between tokens\n"
                     "'logo.png'   # the pattern\n  PixelAccess\t'yes'\n"
                     "\"missing.png\" PixelAccess \"missing\"\n"
                     "\"sub\" PixelAccess \"folder\"\n"
                     "\"Other.PNG\" PixelAccess \"other case\"\n"),
          PackedFile("ui/logo.png", ""), PackedFile("ui/other.png", ""), PackedFolder("ui/sub"),
          PackedFolder("uiextra"), PackedFile("ui2/.attributes", "")});
    EXPECT_EQ("yes", Attributes().GetString("UI/Logo.PNG", "pixelaccess", "-"));
    EXPECT_EQ("yes", Attributes().GetString("ui/logo.dds", "pixelaccess", "-"));
    EXPECT_EQ("yes", Attributes().GetString("ui/logo2.png", "pixelaccess", "-")) << "textual prefix";
    EXPECT_EQ("yes", Attributes().GetString("ui\\.\\logo.png", "pixelaccess", "-")) << "queries are normalised";
    EXPECT_EQ("other case", Attributes().GetString("ui/other.png", "pixelaccess", "-"))
        << "content made on Windows may name a file in another case";
    EXPECT_EQ("-", Attributes().GetString("ui/missing.png", "pixelaccess", "-")) << "names nothing: ignored";
    EXPECT_EQ("folder", Attributes().GetString("ui/sub/x.png", "pixelaccess", "-"));
    EXPECT_EQ("-", Attributes().GetString("ui/subway.png", "pixelaccess", "-")) << "folder keys end in '/'";
    EXPECT_FALSE(Attributes().GetBool("ui/logo.png", "pixelaccess", true)) << "only \"true\" is true";
}

TEST_P(FileAttributesTest, AFolderEntryCoversFoldersThatBeginWithItsName) {
    Load({PackedFolder("ui"), PackedFile("ui/.attributes", "\"*\" MipMaps \"TRUE\""), PackedFolder("uiextra"),
          PackedFile("uiextra/x.png", ""), PackedFolder("other")});
    EXPECT_TRUE(Attributes().GetBool("uiextra/x.png", "mipmaps", false));
    EXPECT_FALSE(Attributes().GetBool("other/x.png", "mipmaps", false));
}

TEST_P(FileAttributesTest, MalformedFilesRaiseTheTokenizersSyntaxError) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\"*\" MipMaps true\n", "Syntax error on line 1.\n Error: Illegal symbol found near quoted string"},
        {"\"*\" MipMaps \"true\"\n\"*\" MipMaps \"tr", "Error: Unterminated string"},
        {"\"*\" MipMaps", "Error: Illegal symbol found near quoted string"},
    };
    for (const auto& entry : cases) {
        EXPECT_THAT(TestSupport::ReportOf<Zep::Exception::Assertion>([&] {
                        Load({PackedFolder("ui"), PackedFile("ui/.attributes", entry.first)});
                    }),
                    HasSubstr(entry.second))
            << entry.first;
        ASSERT_TRUE(Zep::BundleSystem::GetInstance()->Unmount(mounted.back())) << "the file was closed";
        mounted.pop_back();
    }
}

// An empty file adds nothing, and a second load forgets what the first one read.
TEST_F(FileAttributesFixture, EmptyFilesAddNothingAndReloadingStartsAfresh) {
    MountLoose({PackedFile(".attributes", "\"*\" MipMaps \"true\"")}, "first");
    Attributes().LoadAll();
    ASSERT_TRUE(Attributes().GetBool("a.png", "mipmaps", false));

    ASSERT_TRUE(Zep::BundleSystem::GetInstance()->Unmount(mounted.back()));
    mounted.pop_back();
    MountLoose({PackedFile(".attributes", "  # nothing but a comment\n"), PackedFolder("ui"),
                PackedFile("ui/.attributes", "")},
               "second");
    Attributes().LoadAll();
    EXPECT_FALSE(Attributes().GetBool("a.png", "mipmaps", false));
    EXPECT_EQ("none", Attributes().GetString("ui/a.png", "mipmaps", "none"));
}

// The player's mounting: "contents.dat" first, then the loose folder.
TEST_F(FileAttributesFixture, PackedAndLooseContentAreScannedTogether) {
    MountPacked({PackedFolder("packedonly"), PackedFile("packedonly/.attributes", "\"*\" Origin \"packed\""),
                 PackedFolder("both"), PackedFile("both/.attributes", "\"*\" Origin \"packed both\"")});
    MountLoose({PackedFolder("both"), PackedFile("both/.attributes", "\"*\" Origin \"loose both\""),
                PackedFolder("looseonly"), PackedFile("looseonly/.attributes", "\"*\" Origin \"loose\"")});
    Attributes().LoadAll();
    EXPECT_EQ("packed", Attributes().GetString("packedonly/a.png", "origin", ""));
    EXPECT_EQ("loose", Attributes().GetString("looseonly/a.png", "origin", ""));
    EXPECT_EQ("loose both", Attributes().GetString("both/a.png", "origin", "")) << "the loose file shadows";
}

// A folder that happens to be named ".attributes" is not read as a file.
TEST_F(FileAttributesFixture, AFolderNamedLikeTheFileIsSkipped) {
    MountLoose({PackedFolder(".attributes"), PackedFolder("ui"), PackedFile("ui/.attributes", "\"*\" A \"b\"")});
    Attributes().LoadAll();
    EXPECT_EQ("b", Attributes().GetString("ui/x", "a", ""));
}

}  // namespace
