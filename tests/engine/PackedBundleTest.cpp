// Packed bundles: the reader against golden files and independently built samples,
// the writer against the golden files, and damaged files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "BundleTestSupport.h"
#include "Common/FileSystem.h"
#include "Common/PackedBundle.h"
#include "PackedSample.h"
#include "TestSupport.h"

namespace {

using BundleTest::ReadAll;
using BundleTest::ReportOf;
using BundleTest::Write;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using TestSupport::BuildPacked;
using TestSupport::PackedFile;
using TestSupport::PackedFolder;
using TestSupport::ReadFile;
using TestSupport::TempFolder;
using TestSupport::WriteFile;
using Zep::PackedBundle;

const std::string golden = std::string(ZEP_TEST_DATA) + "/bundles/";

class PackedBundleTest : public ::testing::Test {
protected:
    TempFolder temp;

    static std::unique_ptr<PackedBundle> Open(const std::string& path, uint32_t mode = Zep::FS_OPEN_READ) {
        return std::unique_ptr<PackedBundle>(new PackedBundle(path, mode));
    }

    static std::vector<std::string> List(Zep::Bundle& bundle, const std::string& path, int flags = Zep::FS_LIST_ALL,
                                         bool recursive = false) {
        std::vector<std::string> names;
        EXPECT_TRUE(bundle.GetDirectoryContents(names, path, flags, recursive));
        return names;
    }
};

TEST_F(PackedBundleTest, GoldenExampleIsWrittenByteForByteAndRead) {
    const std::string path = temp.File("written.dat");
    {
        PackedBundle bundle(path, Zep::FS_OPEN_CREATE);
        ASSERT_TRUE(bundle.CreateDirectory("a", false));
        ASSERT_TRUE(Write(bundle, "a/b.txt", "hello"));
    }
    EXPECT_EQ(ReadFile(golden + "example.dat"), ReadFile(path));

    auto bundle = Open(golden + "example.dat");
    EXPECT_TRUE(bundle->PathExists("a", Zep::FS_PATH_DIRECTORY));
    EXPECT_FALSE(bundle->PathExists("a", Zep::FS_PATH_FILE));
    EXPECT_TRUE(bundle->PathExists("a/b.txt/", Zep::FS_PATH_FILE));
    EXPECT_THAT(List(*bundle, ""), ElementsAre("a"));
    EXPECT_THAT(List(*bundle, "", Zep::FS_LIST_ALL, true), ElementsAre("a", "a/b.txt"));
    EXPECT_THAT(List(*bundle, "", Zep::FS_LIST_FILES, true), ElementsAre("a/b.txt"));
    EXPECT_EQ("hello", ReadAll(*bundle, "a\\.\\b.txt"));
    EXPECT_EQ(5, bundle->GetFileSizeByPath("a/b.txt"));
    EXPECT_EQ(-1, bundle->GetFileSizeByPath("a/none"));
}

TEST_F(PackedBundleTest, EmptyBundleHasOnlyItsRoot) {
    auto bundle = Open(golden + "empty.dat");
    EXPECT_TRUE(bundle->PathExists("", Zep::FS_PATH_DIRECTORY));
    EXPECT_FALSE(bundle->PathExists("", Zep::FS_PATH_FILE));
    EXPECT_EQ(-1, bundle->FindEntry(""));
    EXPECT_THAT(List(*bundle, "", Zep::FS_LIST_ALL, true), ElementsAre());
    EXPECT_EQ(nullptr, bundle->OpenFile("x", Zep::FS_OPEN_READ));

    const std::string path = temp.File("empty.dat");
    { PackedBundle written(path, Zep::FS_OPEN_TRUNCATE); }
    EXPECT_EQ(ReadFile(golden + "empty.dat"), ReadFile(path));
}

TEST_F(PackedBundleTest, LookupsIgnoreCaseButListingsMatchTheFolderExactly) {
    auto bundle = Open(golden + "mixed-case.dat");
    EXPECT_EQ("print('packed')\n", ReadAll(*bundle, "Scripts/Main.lua"));
    EXPECT_EQ("button", ReadAll(*bundle, "textures/ui/button.PNG"));
    EXPECT_THAT(List(*bundle, "Textures/", Zep::FS_LIST_ALL, true), ElementsAre("Logo.PNG", "UI", "UI/Button.png"));
    EXPECT_THAT(List(*bundle, "textures"), ElementsAre());
    EXPECT_THAT(List(*bundle, "Text"), ElementsAre()) << "the folder must end at a '/'";
    EXPECT_THAT(List(*bundle, "", Zep::FS_LIST_DIRECTORIES), ElementsAre("scripts", "Textures"));

    std::vector<std::string> names{"kept"};
    EXPECT_TRUE(bundle->GetDirectoryContents(names, "scripts", Zep::FS_LIST_ALL, false));
    EXPECT_THAT(names, ElementsAre("kept", "main.lua")) << "listings append";
}

TEST_F(PackedBundleTest, NamesSortWithLettersFoldedToLowerCase) {
    const std::vector<std::string> names = {"Zebra.txt", "_intro.txt",  "Ba.txt",  "B_c.txt",
                                            "alpha.txt", "ALPHA_2.txt", "[x].txt", "~end.txt"};
    const std::vector<std::string> contents = {"Z", "_", "Ba", "B_c", "a", "A2", "[", "~"};
    {
        auto bundle = Open(golden + "sort-order.dat");
        for (size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(contents[i], ReadAll(*bundle, names[i])) << names[i];
    }
    const std::string path = temp.File("sorted.dat");
    {
        PackedBundle bundle(path, Zep::FS_OPEN_CREATE | Zep::FS_OPEN_TRUNCATE);
        for (size_t i = 0; i < names.size(); ++i)
            ASSERT_TRUE(Write(bundle, names[i], contents[i]));
    }
    EXPECT_EQ(ReadFile(golden + "sort-order.dat"), ReadFile(path));

    EXPECT_GT(PackedBundle::CompareNames("\xC3\x84", "z"), 0) << "bytes above 0x7F compare unsigned";
    EXPECT_NE(0, PackedBundle::CompareNames("\xC3\xA4", "\xC3\x84")) << "only ASCII letters fold";
}

TEST_F(PackedBundleTest, ReadsStopAtTheEndAndHandlesAreChecked) {
    std::string hundred;
    for (int i = 0; i < 100; ++i)
        hundred += static_cast<char>('0' + i % 10);
    WriteFile(temp.File("s.dat"),
              BuildPacked({PackedFile("before", "xx"), PackedFile("h.bin", hundred), PackedFile("z", "after")}));
    auto bundle = Open(temp.File("s.dat"));
    Zep::FileHandle file = bundle->OpenFile("h.bin", 0);
    ASSERT_NE(nullptr, file);
    char buffer[100];
    EXPECT_EQ(90, bundle->SeekFile(file, 90, Zep::FS_SEEK_SET));
    EXPECT_EQ(10, bundle->ReadFile(file, buffer, 100));
    EXPECT_EQ("0123456789", std::string(buffer, 10));
    EXPECT_EQ(0, bundle->ReadFile(file, buffer, 100));
    EXPECT_EQ(95, bundle->SeekFile(file, -5, Zep::FS_SEEK_END));
    EXPECT_EQ(0, bundle->SeekFile(file, -200, Zep::FS_SEEK_CUR));
    EXPECT_EQ(-1, bundle->ReadFile(file, nullptr, 1));
    EXPECT_EQ(Zep::FS_ERROR_WRONG_PARAMETERS, Zep::FileSystem::GetInstance()->GetLastError());
    EXPECT_THAT(ReportOf([&] { bundle->SeekFile(file, 101, Zep::FS_SEEK_SET); }),
                HasSubstr("Zep::PackedBundle.SeekFile(): file is not opened in write mode"));
    EXPECT_THAT(ReportOf([&] { bundle->WriteFile(file, "x", 1); }),
                HasSubstr("Zep::PackedBundle.WriteFile(): file is not opened in write mode"));
    bundle->CloseFile(file);
    EXPECT_THAT(ReportOf([&] { bundle->ReadFile(file, buffer, 1); }),
                HasSubstr("Zep::PackedBundle.ReadFile(): file handle is wrong or file is not opened"));
    EXPECT_THAT(ReportOf([&] { bundle->GetFileSize(file); }),
                HasSubstr("Zep::PackedBundle.GetFileSize(): file handle is wrong or file is not opened"));
}

TEST_F(PackedBundleTest, MisuseOfWritingIsAPanic) {
    auto reader = Open(golden + "example.dat");
    EXPECT_THAT(ReportOf([&] { reader->OpenFile("n.txt", Zep::FS_OPEN_TRUNCATE); }),
                HasSubstr("Zep::PackedBundle.OpenFile(): Bundle is not opened for writing"));
    EXPECT_THAT(ReportOf([&] { reader->OpenFile("a/b.txt", Zep::FS_OPEN_WRITE); }),
                HasSubstr("Zep::PackedBundle.OpenFile(): Opening files for writing is not implemented"));
    EXPECT_THAT(ReportOf([&] { reader->DeleteFile("a/b.txt"); }),
                HasSubstr("Zep::BundledFileSystem.DeleteFile(): not implemented"));

    PackedBundle writer(temp.File("w.dat"), Zep::FS_OPEN_CREATE);
    ASSERT_TRUE(Write(writer, "old.txt", "old"));
    Zep::FileHandle reading = writer.OpenFile("old.txt", Zep::FS_OPEN_READ);
    Zep::FileHandle first = writer.OpenFile("one.txt", Zep::FS_OPEN_TRUNCATE);
    ASSERT_NE(nullptr, first) << "read handles do not stop a writer";
    const std::string report = ReportOf([&] { writer.OpenFile("two.txt", Zep::FS_OPEN_TRUNCATE); });
    EXPECT_EQ(0u, report.find("Panic error in file \"Common\\PackedBundle.cpp\", line ")) << report;
    EXPECT_THAT(report, HasSubstr(":\n  Zep::PackedBundle.OpenFile(): Only one file can be opened for writing in "
                                  "the same time"));
    writer.CloseFile(first);
    EXPECT_EQ(nullptr, writer.OpenFile("missing.txt", Zep::FS_OPEN_CREATE)) << "only truncation makes new files";
    writer.CloseFile(reading);
}

TEST_F(PackedBundleTest, FoldersNeedTheirParents) {
    PackedBundle bundle(temp.File("f.dat"), Zep::FS_OPEN_CREATE);
    EXPECT_FALSE(bundle.CreateDirectory("x/y", false));
    EXPECT_TRUE(bundle.CreateDirectory("x/y/z", true));
    EXPECT_TRUE(bundle.CreateDirectory("X/Y", false)) << "an existing folder";
    ASSERT_TRUE(Write(bundle, "x/file", "f"));
    EXPECT_FALSE(bundle.CreateDirectory("x/file", false)) << "a file stands there";

    Zep::FileHandle file = bundle.OpenFile("new/deep/n.txt", Zep::FS_OPEN_CREATE_FOLDERS | Zep::FS_OPEN_TRUNCATE);
    ASSERT_NE(nullptr, file);
    bundle.CloseFile(file);
    EXPECT_THAT(List(bundle, "", Zep::FS_LIST_DIRECTORIES, true), ElementsAre("new", "new/deep", "x", "x/y", "x/y/z"));
}

TEST_F(PackedBundleTest, RewritingAFileKeepsEveryOtherFile) {
    const std::string path = temp.File("rw.dat");
    {
        PackedBundle bundle(path, Zep::FS_OPEN_CREATE);
        ASSERT_TRUE(Write(bundle, "a.txt", "aaaa"));
        ASSERT_TRUE(Write(bundle, "b.txt", "bbbb"));
        Zep::FileHandle reader = bundle.OpenFile("a.txt", Zep::FS_OPEN_READ);
        // Longer than before, with b.txt behind it.
        ASSERT_TRUE(Write(bundle, "a.txt", "AAAAAAAAAAAA"));
        EXPECT_EQ("AAAAAAAAAAAA", ReadAll(bundle, "a.txt"));
        char old[8] = {};
        EXPECT_EQ(4, bundle.ReadFile(reader, old, sizeof(old)));
        EXPECT_STREQ("aaaa", old) << "a reader keeps what it opened";
        bundle.CloseFile(reader);
        // The last file of the packed file is rewritten where it stands.
        ASSERT_TRUE(Write(bundle, "a.txt", "A2"));
    }
    {
        // An existing bundle opened for writing: new data goes where the directory was.
        PackedBundle bundle(path, Zep::FS_OPEN_WRITE);
        EXPECT_EQ("bbbb", ReadAll(bundle, "b.txt"));
        ASSERT_TRUE(Write(bundle, "b.txt", std::string(22, 'b')));
        ASSERT_TRUE(Write(bundle, "c.txt", "c"));
    }
    auto bundle = Open(path);
    EXPECT_EQ("A2", ReadAll(*bundle, "a.txt"));
    EXPECT_EQ(std::string(22, 'b'), ReadAll(*bundle, "b.txt"));
    EXPECT_EQ("c", ReadAll(*bundle, "c.txt"));
}

TEST_F(PackedBundleTest, SeeksPastTheEndOfAWrittenFileFillWithZeros) {
    const std::string path = temp.File("s.dat");
    {
        PackedBundle bundle(path, Zep::FS_OPEN_CREATE);
        ASSERT_TRUE(Write(bundle, "before.txt", "keep"));
        Zep::FileHandle file = bundle.OpenFile("s.bin", Zep::FS_OPEN_TRUNCATE);
        ASSERT_NE(nullptr, file);
        EXPECT_EQ(6, bundle.WriteFile(file, "abcdef", 6));
        EXPECT_EQ(2, bundle.SeekFile(file, 2, Zep::FS_SEEK_SET));
        EXPECT_TRUE(bundle.SetEndOfFile(file));
        EXPECT_EQ(5, bundle.SeekFile(file, 5, Zep::FS_SEEK_SET));
        EXPECT_EQ(1, bundle.WriteFile(file, "z", 1));
        // Offsets are 32-bit in the file.
        EXPECT_EQ(-1, bundle.SeekFile(file, 0x100000000ll, Zep::FS_SEEK_SET));
        EXPECT_EQ(6, bundle.GetFileSize(file));
        // Left open: destruction stores it.
    }
    auto bundle = Open(path);
    EXPECT_EQ(std::string("ab\0\0\0z", 6), ReadAll(*bundle, "s.bin"));
    EXPECT_EQ("keep", ReadAll(*bundle, "before.txt"));
}

TEST_F(PackedBundleTest, FailedWritesAreReportedAndADirectoryThatCannotBeWrittenIsLogged) {
    const std::string path = temp.File("full.dat");
    const TestSupport::ChildResult child = TestSupport::RunInChild([&] {
        // The file may not grow past what it holds now (stderr, also a file here,
        // stays far below that).
        std::signal(SIGXFSZ, SIG_IGN);
        PackedBundle bundle(path, Zep::FS_OPEN_CREATE);
        Write(bundle, "kept.txt", std::string(8000, 'k'));
        rlimit limit;
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 8020;
        setrlimit(RLIMIT_FSIZE, &limit);
        Zep::FileHandle file = bundle.OpenFile("more.txt", Zep::FS_OPEN_TRUNCATE);
        if (bundle.WriteFile(file, "more", 4) != -1 || bundle.GetFileSize(file) != 0)
            std::_Exit(3);
    });
    EXPECT_EQ(0, child.exitCode) << child.stdErr;
    EXPECT_THAT(child.stdErr, HasSubstr("Error: Zep::PackedBundle: failed to write the directory of \"" +
                                        Zep::GetNormalizedPath(path) + "\""));
}

TEST_F(PackedBundleTest, BadAndDamagedFilesArePanicsNeverCrashes) {
    EXPECT_THAT(ReportOf([&] { Open(temp.File("missing.dat")); }),
                HasSubstr("Unable to open packed bundle: " + Zep::GetNormalizedPath(temp.File("missing.dat"))));
    EXPECT_THAT(ReportOf([&] { Open(golden + "bad-signature.dat"); }), HasSubstr(":\n  Invalid bundle signature"));
    EXPECT_THAT(ReportOf([&] { Open(golden + "short-header.dat"); }), HasSubstr("Unable to read packed bundle header"));
    for (const char* name : {"huge-count.dat", "directory-past-end.dat", "name-past-pool.dat", "pool-unterminated.dat",
                             "data-past-end.dat"})
        EXPECT_THAT(ReportOf([&] { Open(golden + name); }), HasSubstr("Bundle is corrupted")) << name;

    const std::string good = BuildPacked({PackedFolder("a"), PackedFile("a/b.txt", "hello"), PackedFile("c", "")});
    const size_t directory = TestSupport::GetU32(good, 8);
    const size_t second = directory + 4 + 16;
    const size_t poolSize = directory + 4 + 3 * 16;
    const struct {
        const char* what;
        size_t at;
        uint32_t value;
    } damages[] = {
        {"directory offset inside the header", 8, 4},        {"directory offset near 4 GiB", 8, 0xFFFFFFF0u},
        {"entry count of 2^32 - 1", directory, 0xFFFFFFFFu}, {"entry count one too many", directory, 4},
        {"pool size of 2^32 - 1", poolSize, 0xFFFFFFFFu},    {"pool size zero with entries", poolSize, 0},
        {"name offset at the pool's end", second + 12, 12},  {"data offset inside the header", second + 4, 4},
        {"data offset near 4 GiB", second + 4, 0xFFFFFFFEu},
    };
    const std::string path = temp.File("damaged.dat");
    for (const auto& damage : damages) {
        std::string bytes = good;
        TestSupport::PutU32(bytes, damage.at, damage.value);
        WriteFile(path, bytes);
        EXPECT_THAT(ReportOf([&] { Open(path); }), HasSubstr("Bundle is corrupted")) << damage.what;
    }
    for (size_t length = directory; length < good.size(); length += 3) {
        WriteFile(path, good.substr(0, length));
        EXPECT_THAT(ReportOf([&] { Open(path); }), HasSubstr("Bundle is corrupted")) << "cut at " << length;
    }
    WriteFile(path, good);
    EXPECT_EQ("hello", ReadAll(*Open(path), "a/b.txt"));
}

}  // namespace
