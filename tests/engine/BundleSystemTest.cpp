// The bundle system over plain folders and packed files: lookup order, merged
// listings, writing, mounting and the handles it hands out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "BundleTestSupport.h"
#include "Common/BundleSystem.h"
#include "PackedSample.h"
#include "TestSupport.h"

namespace {

using BundleTest::ReadAll;
using BundleTest::ReportOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using TestSupport::BuildPacked;
using TestSupport::PackedFile;
using TestSupport::PackedFolder;
using TestSupport::ReadFile;
using TestSupport::WriteFile;

// A bundle system of its own for each test, apart from the process-wide one.
class LocalBundleSystem : public Zep::BundleSystem {};

class BundleSystemTest : public ::testing::Test {
protected:
    TestSupport::TempFolder temp;
    LocalBundleSystem bundles;
    Zep::FileSystem* files = Zep::FileSystem::GetInstance();

    std::string Folder() const { return temp.File("loose"); }
    std::string Packed() const { return temp.File("contents.dat"); }

    // "contents.dat" mounted first and the loose folder second, as the player does.
    void MountBoth() {
        WriteFile(Packed(), BuildPacked({PackedFolder("data"), PackedFile("data/both.txt", "packed"),
                                         PackedFile("data/packed.txt", "only packed"), PackedFolder("data/Sub"),
                                         PackedFolder("packedonly"), PackedFile("packedonly/p.txt", "p")}));
        std::filesystem::create_directories(Folder() + "/data/sub");
        WriteFile(Folder() + "/data/both.txt", "loose!");
        WriteFile(Folder() + "/data/Zed.txt", "Z");
        bundles.MountPackage(Packed(), Zep::FS_OPEN_READ);
        bundles.MountDirectory(Folder());
    }
};

TEST_F(BundleSystemTest, LooseFilesShadowPackedOnesAndListingsMerge) {
    MountBoth();
    EXPECT_EQ("loose!", ReadAll(bundles, "data/both.txt"));
    EXPECT_EQ("only packed", ReadAll(bundles, "data/packed.txt"));
    EXPECT_EQ(6, bundles.GetFileSizeByPath("data/both.txt"));
    EXPECT_EQ(-1, bundles.GetFileSizeByPath("data/none.txt"));
    EXPECT_FALSE(bundles.PathExists("data/both.txt", Zep::FS_PATH_DIRECTORY));

    std::vector<std::string> names{"cleared"};
    ASSERT_TRUE(bundles.GetDirectoryContents(names, "data", Zep::FS_LIST_ALL, false));
    EXPECT_THAT(names, ElementsAre("Sub", "Zed.txt", "both.txt", "packed.txt", "sub")) << "byte order, each once";
    // Only "contents.dat" has this folder; the loose folder's lack of it is no failure.
    ASSERT_TRUE(bundles.GetDirectoryContents(names, "packedonly", Zep::FS_LIST_ALL, false));
    EXPECT_THAT(names, ElementsAre("p.txt"));

    files->SetLastError(0);
    EXPECT_FALSE(bundles.GetDirectoryContents(names, "nowhere", Zep::FS_LIST_ALL, false));
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(Zep::FS_ERROR_NOT_FOUND, files->GetLastError());
}

TEST_F(BundleSystemTest, WritesGoToTheBundleForWriting) {
    EXPECT_EQ(nullptr, bundles.OpenFile("x.txt", Zep::FS_OPEN_TRUNCATE)) << "nothing mounted";
    EXPECT_FALSE(bundles.CreateDirectory("x", false));

    std::filesystem::create_directories(temp.File("first"));
    std::filesystem::create_directories(temp.File("second"));
    bundles.MountDirectory(temp.File("first"));
    bundles.MountDirectory(temp.File("second"));
    Zep::FileHandle file = bundles.OpenFile("sub/new.txt", Zep::FS_OPEN_CREATE_FOLDERS);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(3, bundles.WriteFile(file, "new", 3));
    EXPECT_EQ(1, bundles.SeekFile(file, 1, Zep::FS_SEEK_SET));
    EXPECT_TRUE(bundles.SetEndOfFile(file));
    bundles.CloseFile(file);
    EXPECT_EQ("n", ReadFile(temp.File("second/sub/new.txt"))) << "the last mounted by default";

    bundles.SetBundlePathForWriting(temp.File("first"));
    EXPECT_TRUE(bundles.ImportFile(temp.File("second/sub/new.txt"), "imported.txt"));
    EXPECT_EQ("n", ReadFile(temp.File("first/imported.txt")));
    EXPECT_TRUE(bundles.DeleteFile("imported.txt"));

    bundles.SetBundlePathForWriting(temp.File("elsewhere"));
    EXPECT_EQ(nullptr, bundles.GetBundleForWriting());
    EXPECT_EQ(nullptr, bundles.OpenFile("y.txt", Zep::FS_OPEN_TRUNCATE));

    // Into a packed bundle: the same bytes as the engine's own writer makes.
    const std::string packed = temp.File("out.dat");
    bundles.MountPackage(packed, Zep::FS_OPEN_CREATE | Zep::FS_OPEN_TRUNCATE);
    bundles.SetBundlePathForWriting(packed);
    EXPECT_TRUE(bundles.CreateDirectory("a", false));
    EXPECT_TRUE(BundleTest::Write(bundles, "a/b.txt", "hello"));
    EXPECT_TRUE(bundles.Unmount(packed));
    EXPECT_EQ(ReadFile(std::string(ZEP_TEST_DATA) + "/bundles/example.dat"), ReadFile(packed));
}

TEST_F(BundleSystemTest, PlainBundlesStayInsideTheirFolder) {
    std::filesystem::create_directories(temp.File("root/inner"));
    WriteFile(temp.File("root/inner/in.txt"), "in");
    WriteFile(temp.File("root/outside.txt"), "out");
    Zep::PlainBundle bundle(temp.File("root/inner"));
    files->SetLastError(Zep::FS_ERROR_DATA_CRC);
    for (const char* path : {"../outside.txt", "./in.txt", "x/../../outside.txt", ".\\in.txt"}) {
        EXPECT_FALSE(bundle.PathExists(path, Zep::FS_PATH_ANY)) << path;
        EXPECT_EQ(nullptr, bundle.OpenFile(path, Zep::FS_OPEN_READ)) << path;
        EXPECT_EQ(0, bundle.GetFileSizeByPath(path)) << path;
    }
    EXPECT_EQ(Zep::FS_ERROR_DATA_CRC, files->GetLastError()) << "a refused path leaves the error code alone";
    EXPECT_TRUE(bundle.PathExists("sub/../in.txt", Zep::FS_PATH_FILE));
    EXPECT_TRUE(bundle.PathExists("", Zep::FS_PATH_DIRECTORY));
}

TEST_F(BundleSystemTest, UnmountRemovesEveryCopyButNotWhileFilesAreOpen) {
    std::filesystem::create_directories(Folder());
    WriteFile(Folder() + "/f.txt", "f");
    bundles.MountDirectory(Folder());
    bundles.MountDirectory(Folder() + "/");
    bundles.MountDirectory(Folder());

    Zep::FileHandle file = bundles.OpenFile("f.txt", Zep::FS_OPEN_READ);
    ASSERT_NE(nullptr, file);
    {
        TestSupport::StderrCapture capture;
        EXPECT_FALSE(bundles.Unmount(Folder()));
        EXPECT_THAT(capture.Text(), HasSubstr("still in use"));
    }
    EXPECT_STREQ("Bundle is still in use (some files are opened)", files->GetLastErrorText());
    char c = 0;
    EXPECT_EQ(1, bundles.ReadFile(file, &c, 1)) << "the handle still works";
    bundles.CloseFile(file);

    EXPECT_TRUE(bundles.Unmount(Folder()));
    ASSERT_EQ(1u, bundles.GetBundles().size());
    EXPECT_EQ(Zep::GetNormalizedPath(Folder() + "/"), bundles.GetBundles()[0]->GetName());
}

TEST_F(BundleSystemTest, UnknownHandlesAreAssertionsNamingTheOperation) {
    MountBoth();
    Zep::FileHandle packed = bundles.OpenFile("data/packed.txt", Zep::FS_OPEN_READ);
    Zep::FileHandle loose = bundles.OpenFile("data/both.txt", Zep::FS_OPEN_READ);
    ASSERT_NE(nullptr, packed);
    ASSERT_NE(nullptr, loose);
    bundles.CloseFile(packed);
    bundles.CloseFile(loose);
    bundles.CloseFile(nullptr);
    EXPECT_EQ(0u, bundles.GetOpenFileCount());

    char buffer[4];
    EXPECT_THAT(ReportOf([&] { bundles.CloseFile(packed); }),
                HasSubstr("Zep::BundleSystem.CloseFile(): file handle is wrong or file is not opened"));
    EXPECT_THAT(ReportOf([&] { bundles.ReadFile(loose, buffer, 4); }), HasSubstr("Zep::BundleSystem.ReadFile()"));
    EXPECT_THAT(ReportOf([&] { bundles.IsFileAtEof(packed); }), HasSubstr("Assertion failed in file"));

    // A handle opened directly on a bundle is not the system's either.
    Zep::Bundle& first = *bundles.GetBundles()[0];
    Zep::FileHandle direct = first.OpenFile("data/packed.txt", Zep::FS_OPEN_READ);
    EXPECT_THAT(ReportOf([&] { bundles.SeekFile(direct, 0, 0); }), HasSubstr("Zep::BundleSystem.SeekFile()"));
    first.CloseFile(direct);
}

TEST_F(BundleSystemTest, AFileThatIsNotPackedPanicsAndMountsNothing) {
    WriteFile(temp.File("text.dat"), "this is not a packed bundle");
    EXPECT_THAT(ReportOf([&] { bundles.MountPackage(temp.File("text.dat"), 0); }),
                HasSubstr("Invalid bundle signature"));
    EXPECT_TRUE(bundles.GetBundles().empty());
}

TEST_F(BundleSystemTest, ThreadsReadingOnePackedFileDoNotDisturbEachOther) {
    std::vector<TestSupport::PackedItem> items;
    for (int i = 0; i < 8; ++i)
        items.push_back(PackedFile("f" + std::to_string(i), std::string(4096, static_cast<char>('a' + i))));
    WriteFile(Packed(), BuildPacked(items));
    bundles.MountPackage(Packed(), Zep::FS_OPEN_READ);
    // The packed bundle itself, without the bundle system's lock around it.
    Zep::Bundle& packed = *bundles.GetBundles()[0];

    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            const std::string expected(64, static_cast<char>('a' + t));
            for (int round = 0; round < 200; ++round) {
                Zep::FileHandle file = packed.OpenFile("f" + std::to_string(t), Zep::FS_OPEN_READ);
                std::string chunk(64, '\0');
                for (int piece = 0; piece < 8; ++piece) {
                    if (packed.ReadFile(file, &chunk[0], 64) != 64 || chunk != expected)
                        ++wrong;
                }
                packed.CloseFile(file);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, wrong.load());
}

}  // namespace
