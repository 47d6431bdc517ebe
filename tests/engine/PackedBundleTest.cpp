// Packed bundles: the reader against independently built and golden files, the
// writer against the golden files, and damaged files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <memory>
#include <string>
#include <vector>

#include "Common/Exceptions.h"
#include "Common/FileSystem.h"
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
using Zep::PackedBundle;

const std::string golden = std::string(ZEP_TEST_DATA) + "/bundles/";

// The text of the panic or assertion that body raises ("" when none).
template <class Body>
std::string ReportOf(Body body) {
    try {
        body();
    } catch (const Zep::Exception::Generic& error) {
        return error.what();
    }
    return std::string();
}

class PackedBundleTest : public ::testing::Test {
protected:
    TempFolder temp;

    std::unique_ptr<PackedBundle> Open(const std::string& path, uint32_t mode = Zep::FS_OPEN_READ) {
        return std::unique_ptr<PackedBundle>(new PackedBundle(path, mode));
    }

    std::unique_ptr<PackedBundle> Sample(const std::vector<TestSupport::PackedItem>& items,
                                         uint32_t mode = Zep::FS_OPEN_READ) {
        const std::string path = temp.File("sample.dat");
        WriteFile(path, BuildPacked(items));
        return Open(path, mode);
    }

    static std::string ReadAll(Zep::Bundle& bundle, const std::string& name) {
        Zep::FileHandle file = bundle.OpenFile(name, Zep::FS_OPEN_READ);
        if (!file)
            return "<missing>";
        std::string text(static_cast<size_t>(bundle.GetFileSize(file)), '\0');
        const int64_t read = text.empty() ? 0 : bundle.ReadFile(file, &text[0], static_cast<int64_t>(text.size()));
        bundle.CloseFile(file);
        return read == static_cast<int64_t>(text.size()) ? text : "<short read>";
    }

    static void Write(Zep::Bundle& bundle, const std::string& name, const std::string& text) {
        Zep::FileHandle file = bundle.OpenFile(name, Zep::FS_OPEN_TRUNCATE);
        ASSERT_NE(nullptr, file);
        ASSERT_EQ(static_cast<int64_t>(text.size()), bundle.WriteFile(file, text.data(), text.size()));
        bundle.CloseFile(file);
    }

    static std::vector<std::string> List(Zep::Bundle& bundle, const std::string& path, int flags = Zep::FS_LIST_ALL,
                                         bool recursive = false) {
        std::vector<std::string> names;
        EXPECT_TRUE(bundle.GetDirectoryContents(names, path, flags, recursive));
        return names;
    }
};

TEST_F(PackedBundleTest, WriterReproducesTheGoldenExample) {
    const std::string path = temp.File("written.dat");
    {
        PackedBundle bundle(path, Zep::FS_OPEN_CREATE);
        EXPECT_TRUE(bundle.IsOpenForWriting());
        ASSERT_TRUE(bundle.CreateDirectory("a", false));
        Write(bundle, "a/b.txt", "hello");
    }
    EXPECT_EQ(75u, ReadFile(path).size());
    EXPECT_EQ(ReadFile(golden + "example.dat"), ReadFile(path));
}

TEST_F(PackedBundleTest, ReaderListsAndReadsTheGoldenExample) {
    auto bundle = Open(golden + "example.dat");
    EXPECT_FALSE(bundle->IsOpenForWriting());
    EXPECT_TRUE(bundle->PathExists("a", Zep::FS_PATH_DIRECTORY));
    EXPECT_FALSE(bundle->PathExists("a", Zep::FS_PATH_FILE));
    EXPECT_TRUE(bundle->PathExists("a/b.txt", Zep::FS_PATH_FILE));
    EXPECT_TRUE(bundle->PathExists("a/b.txt/", Zep::FS_PATH_ANY));
    EXPECT_FALSE(bundle->PathExists("a/c.txt", Zep::FS_PATH_ANY));
    EXPECT_THAT(List(*bundle, ""), ElementsAre("a"));
    EXPECT_THAT(List(*bundle, "", Zep::FS_LIST_ALL, true), ElementsAre("a", "a/b.txt"));
    EXPECT_THAT(List(*bundle, "a"), ElementsAre("b.txt"));
    EXPECT_THAT(List(*bundle, "", Zep::FS_LIST_FILES, true), ElementsAre("a/b.txt"));
    EXPECT_THAT(List(*bundle, "a", Zep::FS_LIST_DIRECTORIES), ElementsAre());
    EXPECT_EQ("hello", ReadAll(*bundle, "a/b.txt"));
    EXPECT_EQ("hello", ReadAll(*bundle, "a\\.\\b.txt"));
    EXPECT_EQ(5, bundle->GetFileSizeByPath("a/b.txt"));
    EXPECT_EQ(-1, bundle->GetFileSizeByPath("a/none"));
    EXPECT_EQ(nullptr, bundle->OpenFile("a", Zep::FS_OPEN_READ)) << "a folder is not a file";
}

TEST_F(PackedBundleTest, EmptyBundleMountsAndHasOnlyItsRoot) {
    auto bundle = Open(golden + "empty.dat");
    EXPECT_TRUE(bundle->PathExists("", Zep::FS_PATH_DIRECTORY));
    EXPECT_TRUE(bundle->PathExists("", Zep::FS_PATH_ANY));
    EXPECT_FALSE(bundle->PathExists("", Zep::FS_PATH_FILE));
    EXPECT_FALSE(bundle->PathExists("x", Zep::FS_PATH_ANY));
    EXPECT_EQ(-1, bundle->FindEntry("x"));
    EXPECT_EQ(-1, bundle->FindEntry(""));
    EXPECT_THAT(List(*bundle, "", Zep::FS_LIST_ALL, true), ElementsAre());
    EXPECT_EQ(nullptr, bundle->OpenFile("x", Zep::FS_OPEN_READ));

    // The writer makes the same 28 bytes.
    const std::string path = temp.File("empty.dat");
    { PackedBundle written(path, Zep::FS_OPEN_TRUNCATE); }
    EXPECT_EQ(ReadFile(golden + "empty.dat"), ReadFile(path));
}

TEST_F(PackedBundleTest, LookupsIgnoreCaseButListingsMatchTheFolderExactly) {
    auto bundle = Open(golden + "mixed-case.dat");
    EXPECT_TRUE(bundle->PathExists("Scripts/Main.lua", Zep::FS_PATH_FILE));
    EXPECT_TRUE(bundle->PathExists("SCRIPTS", Zep::FS_PATH_DIRECTORY));
    EXPECT_EQ("print('packed')\n", ReadAll(*bundle, "Scripts/Main.lua"));
    EXPECT_EQ("button", ReadAll(*bundle, "textures/ui/button.PNG"));

    EXPECT_THAT(List(*bundle, "Textures"), ElementsAre("Logo.PNG", "UI"));
    EXPECT_THAT(List(*bundle, "Textures/", Zep::FS_LIST_ALL, true), ElementsAre("Logo.PNG", "UI", "UI/Button.png"));
    EXPECT_THAT(List(*bundle, "textures"), ElementsAre());
    EXPECT_THAT(List(*bundle, "Text"), ElementsAre()) << "the folder must end at a '/'";
    EXPECT_THAT(List(*bundle, "", Zep::FS_LIST_FILES), ElementsAre("README"));
    EXPECT_THAT(List(*bundle, "", Zep::FS_LIST_DIRECTORIES), ElementsAre("scripts", "Textures"));

    // Listings append.
    std::vector<std::string> names{"kept"};
    EXPECT_TRUE(bundle->GetDirectoryContents(names, "scripts", Zep::FS_LIST_ALL, false));
    EXPECT_THAT(names, ElementsAre("kept", "main.lua"));
}

TEST_F(PackedBundleTest, NamesSortWithLettersFoldedToLowerCase) {
    const std::vector<std::string> names = {"Zebra.txt", "_intro.txt",  "Ba.txt",  "B_c.txt",
                                            "alpha.txt", "ALPHA_2.txt", "[x].txt", "~end.txt"};
    {
        auto bundle = Open(golden + "sort-order.dat");
        for (const std::string& name : names)
            EXPECT_TRUE(bundle->PathExists(name, Zep::FS_PATH_FILE)) << name;
        EXPECT_THAT(List(*bundle, ""), ElementsAre("[x].txt", "_intro.txt", "alpha.txt", "ALPHA_2.txt", "B_c.txt",
                                                   "Ba.txt", "Zebra.txt", "~end.txt"));
    }
    // Written in the same order with the same contents, the bytes are the golden ones.
    const std::vector<std::string> contents = {"Z", "_", "Ba", "B_c", "a", "A2", "[", "~"};
    const std::string path = temp.File("sorted.dat");
    {
        PackedBundle bundle(path, Zep::FS_OPEN_CREATE | Zep::FS_OPEN_TRUNCATE);
        for (size_t i = 0; i < names.size(); ++i)
            Write(bundle, names[i], contents[i]);
    }
    EXPECT_EQ(ReadFile(golden + "sort-order.dat"), ReadFile(path));

    EXPECT_LT(PackedBundle::CompareNames("_", "a"), 0);
    EXPECT_LT(PackedBundle::CompareNames("B_c", "ba"), 0);
    EXPECT_EQ(0, PackedBundle::CompareNames("ABC", "abc"));
    EXPECT_LT(PackedBundle::CompareNames("ab", "abc"), 0);
    EXPECT_GT(PackedBundle::CompareNames("\xC3\x84", "z"), 0) << "bytes above 0x7F compare unsigned";
    EXPECT_NE(0, PackedBundle::CompareNames("\xC3\xA4", "\xC3\x84")) << "only ASCII letters fold";
}

TEST_F(PackedBundleTest, ManyEntriesAreAllFound) {
    std::vector<TestSupport::PackedItem> items;
    for (int i = 0; i < 300; ++i)
        items.push_back(PackedFile("dir" + std::to_string(i % 7) + "/F_" + std::to_string(i * 7919 % 1000) + ".bin",
                                   std::to_string(i)));
    auto bundle = Sample(items);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(std::to_string(i), ReadAll(*bundle, items[i].name)) << items[i].name;
}

TEST_F(PackedBundleTest, ReadsStopAtTheEndAndSeeksFollowTheRules) {
    std::string hundred;
    for (int i = 0; i < 100; ++i)
        hundred += static_cast<char>('0' + i % 10);
    auto bundle = Sample({PackedFile("before.bin", "xx"), PackedFile("h.bin", hundred), PackedFile("z.bin", "after")});
    Zep::FileHandle file = bundle->OpenFile("h.bin", 0);
    ASSERT_NE(nullptr, file);
    char buffer[100];
    EXPECT_EQ(90, bundle->SeekFile(file, 90, Zep::FS_SEEK_SET));
    EXPECT_EQ(10, bundle->ReadFile(file, buffer, 100));
    EXPECT_EQ("0123456789", std::string(buffer, 10));
    EXPECT_EQ(100, bundle->SeekFile(file, 0, Zep::FS_SEEK_CUR));
    EXPECT_TRUE(bundle->IsFileAtEof(file));
    EXPECT_EQ(0, bundle->ReadFile(file, buffer, 100));
    EXPECT_EQ(95, bundle->SeekFile(file, -5, Zep::FS_SEEK_END));
    EXPECT_EQ(0, bundle->SeekFile(file, -200, Zep::FS_SEEK_CUR));
    EXPECT_EQ(-1, bundle->ReadFile(file, nullptr, 1));
    EXPECT_EQ(Zep::FS_ERROR_WRONG_PARAMETERS, Zep::FileSystem::GetInstance()->GetLastError());
    EXPECT_EQ(-1, bundle->ReadFile(file, buffer, -1));
    EXPECT_EQ(100, bundle->GetFileSize(file));

    EXPECT_THAT(ReportOf([&] { bundle->SeekFile(file, 101, Zep::FS_SEEK_SET); }),
                HasSubstr("Zep::PackedBundle.SeekFile(): file is not opened in write mode"));
    EXPECT_THAT(ReportOf([&] { bundle->WriteFile(file, "x", 1); }),
                HasSubstr("Zep::PackedBundle.WriteFile(): file is not opened in write mode"));
    EXPECT_THAT(ReportOf([&] { bundle->SetEndOfFile(file); }),
                HasSubstr("Zep::PackedBundle.SetEndOfFile(): file is not opened in write mode"));
    bundle->CloseFile(file);

    // A closed handle is no longer the bundle's.
    EXPECT_THAT(ReportOf([&] { bundle->ReadFile(file, buffer, 1); }),
                HasSubstr("Zep::PackedBundle.ReadFile(): file handle is wrong or file is not opened"));
    EXPECT_THAT(ReportOf([&] { bundle->GetFileSize(file); }),
                HasSubstr("Zep::PackedBundle.GetFileSize(): file handle is wrong or file is not opened"));
    EXPECT_THAT(ReportOf([&] { bundle->CloseFile(file); }), HasSubstr("file handle is wrong or file is not opened"));
    EXPECT_THAT(ReportOf([&] { bundle->SeekFile(file, 0, 0); }),
                HasSubstr("Zep::PackedBundle.SeekFile(): file handle is wrong or file is not opened"));
}

TEST_F(PackedBundleTest, MisuseOfWritingIsAPanic) {
    auto reader = Open(golden + "example.dat");
    EXPECT_THAT(ReportOf([&] { reader->OpenFile("n.txt", Zep::FS_OPEN_TRUNCATE); }),
                HasSubstr("Zep::PackedBundle.OpenFile(): Bundle is not opened for writing"));
    EXPECT_THAT(ReportOf([&] { reader->OpenFile("a/b.txt", Zep::FS_OPEN_WRITE); }),
                HasSubstr("Zep::PackedBundle.OpenFile(): Opening files for writing is not implemented"));
    EXPECT_THAT(ReportOf([&] { reader->RemoveDirectory("a", true); }),
                HasSubstr("Zep::BundledFileSystem.RemoveDirectory(): not implemented"));
    EXPECT_THAT(ReportOf([&] { reader->DeleteFile("a/b.txt"); }),
                HasSubstr("Zep::BundledFileSystem.DeleteFile(): not implemented"));

    PackedBundle writer(temp.File("w.dat"), Zep::FS_OPEN_CREATE);
    Write(writer, "old.txt", "old");
    Zep::FileHandle reading = writer.OpenFile("old.txt", Zep::FS_OPEN_READ);
    ASSERT_NE(nullptr, reading);
    Zep::FileHandle first = writer.OpenFile("one.txt", Zep::FS_OPEN_TRUNCATE);
    ASSERT_NE(nullptr, first) << "read handles do not stop a writer";
    const std::string report = ReportOf([&] { writer.OpenFile("two.txt", Zep::FS_OPEN_TRUNCATE); });
    EXPECT_EQ(0u, report.find("Panic error in file \"Common\\PackedBundle.cpp\", line ")) << report;
    EXPECT_THAT(
        report,
        HasSubstr(":\n  Zep::PackedBundle.OpenFile(): Only one file can be opened for writing in the same time"));
    writer.CloseFile(first);
    // Without truncation only an existing file can be written.
    EXPECT_EQ(nullptr, writer.OpenFile("missing.txt", Zep::FS_OPEN_CREATE));
    Zep::FileHandle again = writer.OpenFile("one.txt", Zep::FS_OPEN_CREATE);
    EXPECT_NE(nullptr, again);
    writer.CloseFile(again);
    writer.CloseFile(reading);
}

TEST_F(PackedBundleTest, FoldersNeedTheirParents) {
    PackedBundle bundle(temp.File("f.dat"), Zep::FS_OPEN_CREATE);
    EXPECT_TRUE(bundle.CreateDirectory("", false));
    EXPECT_FALSE(bundle.CreateDirectory("x/y", false));
    EXPECT_TRUE(bundle.CreateDirectory("x/y/z", true));
    EXPECT_TRUE(bundle.PathExists("X/Y", Zep::FS_PATH_DIRECTORY));
    EXPECT_TRUE(bundle.CreateDirectory("x/y", false)) << "an existing folder";
    Write(bundle, "x/file", "f");
    EXPECT_FALSE(bundle.CreateDirectory("x/file", false)) << "a file stands there";
    EXPECT_FALSE(bundle.CreateDirectory("x/file/sub", true));

    Zep::FileHandle file = bundle.OpenFile("new/deep/n.txt", Zep::FS_OPEN_CREATE_FOLDERS | Zep::FS_OPEN_TRUNCATE);
    ASSERT_NE(nullptr, file);
    bundle.CloseFile(file);
    EXPECT_TRUE(bundle.PathExists("new/deep", Zep::FS_PATH_DIRECTORY));
    EXPECT_THAT(List(bundle, "", Zep::FS_LIST_DIRECTORIES, true), ElementsAre("new", "new/deep", "x", "x/y", "x/y/z"));
}

TEST_F(PackedBundleTest, RewritingAFileKeepsEveryOtherFile) {
    const std::string path = temp.File("rw.dat");
    {
        PackedBundle bundle(path, Zep::FS_OPEN_CREATE);
        Write(bundle, "a.txt", "aaaa");
        Write(bundle, "b.txt", "bbbb");
        // Longer than before, and b.txt lies behind it.
        Write(bundle, "a.txt", "AAAAAAAAAAAA");
        // The last file is rewritten where it stands, shorter.
        Write(bundle, "a.txt", "A2");
    }
    const size_t written = ReadFile(path).size();
    {
        auto bundle = Open(path);
        EXPECT_EQ("A2", ReadAll(*bundle, "a.txt"));
        EXPECT_EQ("bbbb", ReadAll(*bundle, "b.txt"));
    }
    {
        // Read and write an existing bundle: new data goes where the directory was.
        PackedBundle bundle(path, Zep::FS_OPEN_WRITE);
        EXPECT_TRUE(bundle.IsOpenForWriting());
        EXPECT_EQ("bbbb", ReadAll(bundle, "b.txt"));
        Write(bundle, "b.txt", "bbbbbbbbbbbbbbbbbbbbbb");
        Write(bundle, "c.txt", "c");
    }
    auto bundle = Open(path);
    EXPECT_EQ("A2", ReadAll(*bundle, "a.txt"));
    EXPECT_EQ(std::string(22, 'b'), ReadAll(*bundle, "b.txt"));
    EXPECT_EQ("c", ReadAll(*bundle, "c.txt"));
    EXPECT_GT(ReadFile(path).size(), written);
}

TEST_F(PackedBundleTest, ReadersOfARewrittenFileKeepTheOldContent) {
    PackedBundle bundle(temp.File("r.dat"), Zep::FS_OPEN_CREATE);
    Write(bundle, "a.txt", "first");
    Write(bundle, "b.txt", "other");
    Zep::FileHandle reader = bundle.OpenFile("a.txt", Zep::FS_OPEN_READ);
    ASSERT_NE(nullptr, reader);
    Write(bundle, "a.txt", "second version");
    char text[16] = {};
    EXPECT_EQ(5, bundle.ReadFile(reader, text, sizeof(text)));
    EXPECT_STREQ("first", text);
    bundle.CloseFile(reader);
    EXPECT_EQ("second version", ReadAll(bundle, "a.txt")) << "closing a reader leaves the directory alone";
}

TEST_F(PackedBundleTest, SeeksPastTheEndOfAWrittenFileFillWithZeros) {
    const std::string path = temp.File("s.dat");
    {
        PackedBundle bundle(path, Zep::FS_OPEN_CREATE);
        Write(bundle, "before.txt", "keep");
        Zep::FileHandle file = bundle.OpenFile("s.bin", Zep::FS_OPEN_TRUNCATE);
        ASSERT_NE(nullptr, file);
        EXPECT_EQ(6, bundle.WriteFile(file, "abcdef", 6));
        EXPECT_EQ(2, bundle.SeekFile(file, 2, Zep::FS_SEEK_SET));
        EXPECT_TRUE(bundle.SetEndOfFile(file));
        EXPECT_EQ(2, bundle.GetFileSize(file));
        EXPECT_EQ(5, bundle.SeekFile(file, 5, Zep::FS_SEEK_SET));
        EXPECT_EQ(5, bundle.GetFileSize(file));
        EXPECT_EQ(1, bundle.WriteFile(file, "z", 1));
        // Offsets are 32-bit in the file.
        EXPECT_EQ(-1, bundle.SeekFile(file, 0x100000000ll, Zep::FS_SEEK_SET));
        EXPECT_EQ(6, bundle.GetFileSize(file));
        bundle.CloseFile(file);
    }
    auto bundle = Open(path);
    EXPECT_EQ(std::string("ab\0\0\0z", 6), ReadAll(*bundle, "s.bin"));
    EXPECT_EQ("keep", ReadAll(*bundle, "before.txt"));
}

TEST_F(PackedBundleTest, FilesStillOpenAtDestructionAreStored) {
    const std::string path = temp.File("open.dat");
    {
        PackedBundle bundle(path, Zep::FS_OPEN_CREATE);
        Zep::FileHandle file = bundle.OpenFile("left.txt", Zep::FS_OPEN_TRUNCATE);
        ASSERT_NE(nullptr, file);
        bundle.WriteFile(file, "open", 4);
    }
    auto bundle = Open(path);
    EXPECT_EQ("open", ReadAll(*bundle, "left.txt"));
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

TEST_F(PackedBundleTest, ImportCopiesAPlatformFile) {
    WriteFile(temp.File("source.bin"), std::string("im\0port", 7));
    WriteFile(temp.File("empty.bin"), "");
    PackedBundle bundle(temp.File("i.dat"), Zep::FS_OPEN_CREATE);
    EXPECT_TRUE(bundle.ImportFile(temp.File("source.bin"), "in/source.bin"));
    EXPECT_TRUE(bundle.ImportFile(temp.File("empty.bin"), "empty.bin"));
    EXPECT_FALSE(bundle.ImportFile(temp.File("none.bin"), "none.bin"));
    EXPECT_EQ(std::string("im\0port", 7), ReadAll(bundle, "in/source.bin"));
    EXPECT_EQ("", ReadAll(bundle, "empty.bin"));
    EXPECT_FALSE(bundle.PathExists("none.bin", Zep::FS_PATH_ANY));
}

TEST_F(PackedBundleTest, BadFilesAreReportedByPanics) {
    EXPECT_THAT(ReportOf([&] { Open(temp.File("missing.dat")); }),
                HasSubstr("Unable to open packed bundle: " + Zep::GetNormalizedPath(temp.File("missing.dat"))));
    EXPECT_THAT(ReportOf([&] { Open(golden + "bad-signature.dat"); }), HasSubstr(":\n  Invalid bundle signature"));
    EXPECT_THAT(ReportOf([&] { Open(golden + "short-header.dat"); }), HasSubstr("Unable to read packed bundle header"));
    EXPECT_THAT(ReportOf([&] { Open(golden + "huge-count.dat"); }), HasSubstr("Bundle is corrupted"));
    EXPECT_THAT(ReportOf([&] { Open(golden + "directory-past-end.dat"); }), HasSubstr("Bundle is corrupted"));
    EXPECT_THAT(ReportOf([&] { Open(golden + "name-past-pool.dat"); }), HasSubstr("Bundle is corrupted"));
    EXPECT_THAT(ReportOf([&] { Open(golden + "pool-unterminated.dat"); }), HasSubstr("Bundle is corrupted"));
    EXPECT_THAT(ReportOf([&] { Open(golden + "data-past-end.dat"); }), HasSubstr("Bundle is corrupted"));
}

TEST_F(PackedBundleTest, EveryDamagedDirectoryFieldIsCaught) {
    const std::string good = BuildPacked({PackedFolder("a"), PackedFile("a/b.txt", "hello"), PackedFile("c", "")});
    const size_t directory = TestSupport::GetU32(good, 8);
    const size_t entries = directory + 4;
    const size_t poolSize = entries + 3 * 16;
    struct Damage {
        const char* what;
        size_t at;
        uint32_t value;
    };
    const Damage damages[] = {
        {"directory offset inside the header", 8, 4},
        {"directory offset at the very end", 8, static_cast<uint32_t>(good.size())},
        {"directory offset near 4 GiB", 8, 0xFFFFFFF0u},
        {"entry count of 2^32 - 1", directory, 0xFFFFFFFFu},
        {"entry count one too many", directory, 4},
        {"pool size of 2^32 - 1", poolSize, 0xFFFFFFFFu},
        {"pool size one too many", poolSize, 100},
        {"pool size zero with entries", poolSize, 0},
        {"name offset past the pool", entries + 16 + 12, 1000},
        {"name offset at the pool's end", entries + 16 + 12, 12},
        {"data offset inside the header", entries + 16 + 4, 4},
        {"data size past the directory", entries + 16 + 8, 0x7FFFFFFFu},
        {"data offset near 4 GiB", entries + 16 + 4, 0xFFFFFFFEu},
    };
    for (const Damage& damage : damages) {
        std::string bytes = good;
        TestSupport::PutU32(bytes, damage.at, damage.value);
        const std::string path = temp.File("damaged.dat");
        WriteFile(path, bytes);
        EXPECT_THAT(ReportOf([&] { Open(path); }), HasSubstr("Bundle is corrupted")) << damage.what;
    }
    // Cut anywhere inside the directory.
    for (size_t length = directory; length < good.size(); length += 3) {
        const std::string path = temp.File("cut.dat");
        WriteFile(path, good.substr(0, length));
        EXPECT_THAT(ReportOf([&] { Open(path); }), HasSubstr("Bundle is corrupted")) << length;
    }
    // The undamaged original still opens, and a damaged file leaves nothing open.
    const std::string path = temp.File("good.dat");
    WriteFile(path, good);
    EXPECT_EQ("hello", ReadAll(*Open(path), "a/b.txt"));
}

}  // namespace
