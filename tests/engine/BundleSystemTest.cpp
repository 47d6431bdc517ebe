// The bundle system over plain folders and packed files: lookup order, merged
// listings, writing, mounting and the handles it hands out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "Common/BundleSystem.h"
#include "Common/Exceptions.h"
#include "Common/PackedBundle.h"
#include "PackedSample.h"
#include "TestSupport.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using TestSupport::BuildPacked;
using TestSupport::PackedFile;
using TestSupport::PackedFolder;
using TestSupport::ReadFile;
using TestSupport::TempFolder;
using TestSupport::WriteFile;

template <class Body>
std::string ReportOf(Body body) {
    try {
        body();
    } catch (const Zep::Exception::Generic& error) {
        return error.what();
    }
    return std::string();
}

// A bundle system of its own for each test, apart from the process-wide one.
class LocalBundleSystem : public Zep::BundleSystem {};

class BundleSystemTest : public ::testing::Test {
protected:
    TempFolder temp;
    LocalBundleSystem bundles;
    Zep::FileSystem* files = Zep::FileSystem::GetInstance();

    std::string Folder() const { return temp.File("loose"); }
    std::string Packed() const { return temp.File("contents.dat"); }

    // "contents.dat" mounted first, the loose folder second, as the player does.
    void MountBoth() {
        WriteFile(Packed(), BuildPacked({PackedFolder("data"), PackedFile("data/both.txt", "packed"),
                                         PackedFile("data/packed.txt", "only packed"), PackedFolder("data/Sub"),
                                         PackedFolder("packedonly"), PackedFile("packedonly/p.txt", "p"),
                                         PackedFile("Main.lua", "-- packed")}));
        std::filesystem::create_directories(Folder() + "/data/sub");
        WriteFile(Folder() + "/data/both.txt", "loose!");
        WriteFile(Folder() + "/data/loose.txt", "only loose");
        WriteFile(Folder() + "/data/Zed.txt", "Z");
        bundles.MountPackage(Packed(), Zep::FS_OPEN_READ);
        bundles.MountDirectory(Folder());
    }

    std::string ReadAll(const std::string& name) {
        Zep::FileHandle file = bundles.OpenFile(name, Zep::FS_OPEN_READ);
        if (!file)
            return "<missing>";
        std::string text(static_cast<size_t>(bundles.GetFileSize(file)), '\0');
        const int64_t read = text.empty() ? 0 : bundles.ReadFile(file, &text[0], static_cast<int64_t>(text.size()));
        EXPECT_TRUE(bundles.IsFileAtEof(file));
        bundles.CloseFile(file);
        return read == static_cast<int64_t>(text.size()) ? text : "<short read>";
    }
};

TEST_F(BundleSystemTest, TheLastMountedBundleIsAskedFirst) {
    MountBoth();
    EXPECT_EQ("loose!", ReadAll("data/both.txt"));
    EXPECT_EQ("only packed", ReadAll("data/packed.txt"));
    EXPECT_EQ("only loose", ReadAll("data/loose.txt"));
    EXPECT_EQ("<missing>", ReadAll("data/none.txt"));
    EXPECT_EQ(6, bundles.GetFileSizeByPath("data/both.txt"));
    EXPECT_EQ(11, bundles.GetFileSizeByPath("data/packed.txt"));
    EXPECT_EQ(-1, bundles.GetFileSizeByPath("data/none.txt"));
    EXPECT_TRUE(bundles.PathExists("Main.lua", Zep::FS_PATH_FILE));
    EXPECT_TRUE(bundles.PathExists("packedonly", Zep::FS_PATH_DIRECTORY));
    EXPECT_FALSE(bundles.PathExists("data/both.txt", Zep::FS_PATH_DIRECTORY));
    // A folder that shadows a packed file does not hide it from reading.
    std::filesystem::create_directories(Folder() + "/Main.lua");
    EXPECT_EQ("-- packed", ReadAll("Main.lua"));
}

TEST_F(BundleSystemTest, ListingsMergeEveryBundleThatHasTheFolder) {
    MountBoth();
    std::vector<std::string> names{"cleared"};
    ASSERT_TRUE(bundles.GetDirectoryContents(names, "data", Zep::FS_LIST_ALL, false));
    // Byte order: upper case before lower case; names in both bundles once.
    EXPECT_THAT(names, ElementsAre("Sub", "Zed.txt", "both.txt", "loose.txt", "packed.txt", "sub"));
    ASSERT_TRUE(bundles.GetDirectoryContents(names, "data", Zep::FS_LIST_FILES, false));
    EXPECT_THAT(names, ElementsAre("Zed.txt", "both.txt", "loose.txt", "packed.txt"));

    // Only in "contents.dat": still listed although the folder lacks it.
    ASSERT_TRUE(bundles.GetDirectoryContents(names, "packedonly", Zep::FS_LIST_ALL, false));
    EXPECT_THAT(names, ElementsAre("p.txt"));
    ASSERT_TRUE(bundles.GetDirectoryContents(names, "", Zep::FS_LIST_DIRECTORIES, false));
    EXPECT_THAT(names, ElementsAre("data", "packedonly"));

    files->SetLastError(0);
    EXPECT_FALSE(bundles.GetDirectoryContents(names, "nowhere", Zep::FS_LIST_ALL, false));
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(Zep::FS_ERROR_NOT_FOUND, files->GetLastError());
}

TEST_F(BundleSystemTest, WritesGoToTheBundleForWriting) {
    files->SetLastError(0);
    EXPECT_EQ(nullptr, bundles.GetBundleForWriting());
    EXPECT_EQ(nullptr, bundles.OpenFile("x.txt", Zep::FS_OPEN_TRUNCATE));
    EXPECT_FALSE(bundles.CreateDirectory("x", false));
    EXPECT_FALSE(bundles.DeleteFile("x"));

    std::filesystem::create_directories(temp.File("first"));
    std::filesystem::create_directories(temp.File("second"));
    bundles.MountDirectory(temp.File("first"));
    bundles.MountDirectory(temp.File("second"));
    EXPECT_EQ(bundles.GetBundles().back(), bundles.GetBundleForWriting());

    Zep::FileHandle file = bundles.OpenFile("sub/new.txt", Zep::FS_OPEN_CREATE_FOLDERS);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(3, bundles.WriteFile(file, "new", 3));
    EXPECT_EQ(1, bundles.SeekFile(file, 1, Zep::FS_SEEK_SET));
    EXPECT_TRUE(bundles.SetEndOfFile(file));
    bundles.CloseFile(file);
    EXPECT_EQ("n", ReadFile(temp.File("second/sub/new.txt")));

    bundles.SetBundlePathForWriting(temp.File("first") + "/./");
    EXPECT_EQ(temp.File("first") + "/./", bundles.GetBundlePathForWriting());
    EXPECT_EQ(nullptr, bundles.GetBundleForWriting()) << "names compare exactly after normalising";
    bundles.SetBundlePathForWriting(temp.File("first"));
    EXPECT_EQ(bundles.GetBundles().front(), bundles.GetBundleForWriting());
    EXPECT_TRUE(bundles.CreateDirectory("made", false));
    EXPECT_TRUE(std::filesystem::is_directory(temp.File("first/made")));
    EXPECT_TRUE(bundles.ImportFile(temp.File("second/sub/new.txt"), "imported.txt"));
    EXPECT_EQ("n", ReadFile(temp.File("first/imported.txt")));
    EXPECT_TRUE(bundles.DeleteFile("imported.txt"));
    EXPECT_TRUE(bundles.RemoveDirectory("made", false));

    bundles.SetBundlePathForWriting(temp.File("elsewhere"));
    EXPECT_EQ(nullptr, bundles.OpenFile("y.txt", Zep::FS_OPEN_TRUNCATE));
    EXPECT_FALSE(std::filesystem::exists(temp.File("first/y.txt")));
}

TEST_F(BundleSystemTest, WritingIntoAPackedBundleThroughTheSystem) {
    const std::string path = temp.File("out.dat");
    bundles.MountPackage(path, Zep::FS_OPEN_CREATE | Zep::FS_OPEN_TRUNCATE);
    EXPECT_TRUE(bundles.CreateDirectory("a", false));
    Zep::FileHandle file = bundles.OpenFile("a/b.txt", Zep::FS_OPEN_TRUNCATE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(5, bundles.WriteFile(file, "hello", 5));
    bundles.CloseFile(file);
    EXPECT_TRUE(bundles.Unmount(path));
    EXPECT_EQ(ReadFile(std::string(ZEP_TEST_DATA) + "/bundles/example.dat"), ReadFile(path));
}

TEST_F(BundleSystemTest, PlainBundlesStayInsideTheirFolder) {
    std::filesystem::create_directories(temp.File("root/inner"));
    WriteFile(temp.File("root/inner/in.txt"), "in");
    WriteFile(temp.File("outside.txt"), "out");
    Zep::PlainBundle bundle(temp.File("root/inner"));
    files->SetLastError(Zep::FS_ERROR_DATA_CRC);
    for (const char* path : {"../outside.txt", "./in.txt", "..", "x/../../outside.txt", ".\\in.txt"}) {
        EXPECT_FALSE(bundle.PathExists(path, Zep::FS_PATH_ANY)) << path;
        EXPECT_EQ(nullptr, bundle.OpenFile(path, Zep::FS_OPEN_READ)) << path;
        EXPECT_EQ(0, bundle.GetFileSizeByPath(path)) << path;
        std::vector<std::string> names;
        EXPECT_FALSE(bundle.GetDirectoryContents(names, path, Zep::FS_LIST_ALL, false)) << path;
    }
    EXPECT_EQ(Zep::FS_ERROR_DATA_CRC, files->GetLastError()) << "a refused path leaves the error code alone";
    EXPECT_TRUE(bundle.PathExists("in.txt", Zep::FS_PATH_FILE));
    EXPECT_TRUE(bundle.PathExists("sub/../in.txt", Zep::FS_PATH_FILE));
    EXPECT_TRUE(bundle.PathExists("", Zep::FS_PATH_DIRECTORY));
    EXPECT_EQ(2, bundle.GetFileSizeByPath("in.txt"));
    EXPECT_EQ(-1, bundle.GetFileSizeByPath("none.txt"));
}

TEST_F(BundleSystemTest, UnmountRemovesEveryCopyButNotWhileFilesAreOpen) {
    std::filesystem::create_directories(Folder());
    WriteFile(Folder() + "/f.txt", "f");
    bundles.MountDirectory(Folder());
    bundles.MountDirectory(Folder() + "/");
    bundles.MountDirectory(Folder());
    ASSERT_EQ(3u, bundles.GetBundles().size());

    Zep::FileHandle file = bundles.OpenFile("f.txt", Zep::FS_OPEN_READ);
    ASSERT_NE(nullptr, file);
    files->SetLastError(0);
    {
        TestSupport::StderrCapture capture;
        EXPECT_FALSE(bundles.Unmount(Folder()));
        EXPECT_THAT(capture.Text(), HasSubstr("still in use"));
    }
    EXPECT_EQ(Zep::FS_ERROR_BUNDLE_IN_USE, files->GetLastError());
    EXPECT_STREQ("Bundle is still in use (some files are opened)", files->GetLastErrorText());
    EXPECT_EQ(3u, bundles.GetBundles().size());
    char c = 0;
    EXPECT_EQ(1, bundles.ReadFile(file, &c, 1)) << "the handle still works";
    bundles.CloseFile(file);

    EXPECT_TRUE(bundles.Unmount(Folder()));
    ASSERT_EQ(1u, bundles.GetBundles().size());
    EXPECT_EQ(Zep::GetNormalizedPath(Folder() + "/"), bundles.GetBundles()[0]->GetName());
    EXPECT_TRUE(bundles.Unmount(temp.File("never-mounted")));
}

TEST_F(BundleSystemTest, UnknownHandlesAreAssertionsNamingTheOperation) {
    MountBoth();
    Zep::FileHandle packed = bundles.OpenFile("data/packed.txt", Zep::FS_OPEN_READ);
    Zep::FileHandle loose = bundles.OpenFile("data/loose.txt", Zep::FS_OPEN_READ);
    ASSERT_NE(nullptr, packed);
    ASSERT_NE(nullptr, loose);
    EXPECT_EQ(2u, bundles.GetOpenFileCount());
    bundles.CloseFile(packed);
    bundles.CloseFile(loose);
    bundles.CloseFile(nullptr);
    EXPECT_EQ(0u, bundles.GetOpenFileCount());

    char buffer[4];
    EXPECT_THAT(ReportOf([&] { bundles.CloseFile(packed); }),
                HasSubstr("Zep::BundleSystem.CloseFile(): file handle is wrong or file is not opened"));
    EXPECT_THAT(ReportOf([&] { bundles.ReadFile(loose, buffer, 4); }),
                HasSubstr("Zep::BundleSystem.ReadFile(): file handle is wrong or file is not opened"));
    EXPECT_THAT(ReportOf([&] { bundles.WriteFile(loose, buffer, 4); }), HasSubstr("Zep::BundleSystem.WriteFile()"));
    EXPECT_THAT(ReportOf([&] { bundles.SeekFile(packed, 0, 0); }), HasSubstr("Zep::BundleSystem.SeekFile()"));
    EXPECT_THAT(ReportOf([&] { bundles.GetFileSize(packed); }), HasSubstr("Zep::BundleSystem.GetFileSize()"));
    EXPECT_THAT(ReportOf([&] { bundles.SetEndOfFile(packed); }), HasSubstr("Zep::BundleSystem.SetEndOfFile()"));
    EXPECT_THAT(ReportOf([&] { bundles.IsFileAtEof(packed); }), HasSubstr("Zep::BundleSystem.IsFileAtEof()"));
    EXPECT_THAT(ReportOf([&] { bundles.IsFileAtEof(packed); }), HasSubstr("Assertion failed in file"));

    // A handle opened directly on a bundle is not the system's either.
    Zep::FileHandle direct = bundles.GetBundles()[0]->OpenFile("data/packed.txt", Zep::FS_OPEN_READ);
    ASSERT_NE(nullptr, direct);
    EXPECT_THAT(ReportOf([&] { bundles.ReadFile(direct, buffer, 4); }), HasSubstr("Zep::BundleSystem.ReadFile()"));
    bundles.GetBundles()[0]->CloseFile(direct);
}

TEST_F(BundleSystemTest, MountingAFileThatIsNotPackedPanicsAndMountsNothing) {
    WriteFile(temp.File("text.dat"), "this is not a packed bundle");
    EXPECT_THAT(ReportOf([&] { bundles.MountPackage(temp.File("text.dat"), 0); }),
                HasSubstr("Invalid bundle signature"));
    EXPECT_THAT(ReportOf([&] { bundles.MountPackage(temp.File("none.dat"), 0); }),
                HasSubstr("Unable to open packed bundle: "));
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
                for (int piece = 0; piece < 64 / 8; ++piece) {
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

TEST(BundleSystemSingleton, IsOneBundleSystem) {
    Zep::BundleSystem* bundles = Zep::BundleSystem::GetInstance();
    ASSERT_NE(nullptr, bundles);
    EXPECT_EQ(bundles, Zep::BundleSystem::GetInstance());
    EXPECT_EQ("", bundles->GetName());
}

}  // namespace
