// The Win32 file system behind Zep::FileSystem, on real folders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ReportOf.h"
#include "Common/Exceptions.h"
#include "Common/FileSystem.h"
#include "Platforms/Win32/Win32FileSystem.h"
#include "TestSupport.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using TestSupport::ReadFile;
using TestSupport::TempFolder;
using TestSupport::WriteFile;

class FileSystemTest : public ::testing::Test {
protected:
    Zep::FileSystem* fs = Zep::FileSystem::GetInstance();
    TempFolder temp;

    std::string Path(const std::string& name) const { return temp.File(name); }
    void MakeFolder(const std::string& name) const { std::filesystem::create_directories(Path(name)); }
};

TEST_F(FileSystemTest, SingletonIsTheWin32FileSystem) {
    EXPECT_NE(nullptr, dynamic_cast<Zep::Win32::FileSystem*>(fs));
    EXPECT_EQ(fs, Zep::FileSystem::GetInstance());
}

TEST_F(FileSystemTest, CreateFlagRefusesAnExistingFileAndTruncateEmptiesIt) {
    WriteFile(Path("f.bin"), "0123456789");
    EXPECT_EQ(nullptr, fs->OpenFile(Path("f.bin"), Zep::FS_OPEN_CREATE));
    EXPECT_EQ(Zep::FS_ERROR_ALREADY_EXISTS, fs->GetLastError());
    EXPECT_STREQ("File or directory already exists", fs->GetLastErrorText());
    EXPECT_EQ("0123456789", ReadFile(Path("f.bin")));

    Zep::FileHandle file = fs->OpenFile(Path("f.bin"), Zep::FS_OPEN_TRUNCATE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(0, fs->GetFileSize(file));
    EXPECT_TRUE(fs->IsFileAtEof(file));
    fs->CloseFile(file);
    EXPECT_EQ("", ReadFile(Path("f.bin")));
}

TEST_F(FileSystemTest, ReadWriteAndSetEndTrackSizeAndPosition) {
    Zep::FileHandle file = fs->OpenFile(Path("rw.bin"), Zep::FS_OPEN_CREATE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(5, fs->WriteFile(file, "hello", 5));
    EXPECT_EQ(5, fs->GetFileSize(file));
    EXPECT_EQ(0, fs->SeekFile(file, 0, Zep::FS_SEEK_SET));

    char buffer[16] = {};
    EXPECT_EQ(3, fs->ReadFile(file, buffer, 3));
    EXPECT_EQ("hel", std::string(buffer, 3));
    EXPECT_EQ(3, fs->SeekFile(file, 0, Zep::FS_SEEK_CUR));
    EXPECT_FALSE(fs->IsFileAtEof(file));
    EXPECT_EQ(2, fs->ReadFile(file, buffer, sizeof(buffer)));
    EXPECT_EQ(0, fs->ReadFile(file, buffer, sizeof(buffer)));
    EXPECT_TRUE(fs->IsFileAtEof(file));

    // Overwriting inside the file keeps its size; writing past the end raises it.
    EXPECT_EQ(1, fs->SeekFile(file, -4, Zep::FS_SEEK_END));
    EXPECT_EQ(6, fs->WriteFile(file, "ELLO!!", 6));
    EXPECT_EQ(7, fs->GetFileSize(file));

    EXPECT_EQ(2, fs->SeekFile(file, 2, Zep::FS_SEEK_SET));
    EXPECT_TRUE(fs->SetEndOfFile(file));
    EXPECT_EQ(2, fs->GetFileSize(file));

    EXPECT_EQ(-1, fs->ReadFile(file, nullptr, 1));
    EXPECT_EQ(Zep::FS_ERROR_WRONG_PARAMETERS, fs->GetLastError());
    EXPECT_EQ(-1, fs->WriteFile(file, "x", -1));
    EXPECT_EQ(Zep::FS_ERROR_WRONG_PARAMETERS, fs->GetLastError());
    fs->CloseFile(file);
    EXPECT_EQ("hE", ReadFile(Path("rw.bin")));
}

TEST_F(FileSystemTest, SeekingPastTheEndGrowsTheFileWithZeros) {
    WriteFile(Path("grow.bin"), "abcdefghij");
    Zep::FileHandle file = fs->OpenFile(Path("grow.bin"), Zep::FS_OPEN_READ | Zep::FS_OPEN_WRITE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(100010, fs->SeekFile(file, 100000, Zep::FS_SEEK_END));
    EXPECT_EQ(100010, fs->GetFileSize(file));
    EXPECT_TRUE(fs->IsFileAtEof(file));
    fs->CloseFile(file);

    const std::string contents = ReadFile(Path("grow.bin"));
    ASSERT_EQ(100010u, contents.size());
    EXPECT_EQ("abcdefghij", contents.substr(0, 10));
    EXPECT_EQ(std::string(100000, '\0'), contents.substr(10));
}

TEST_F(FileSystemTest, SeekingBeforeTheStartGivesZero) {
    WriteFile(Path("s.bin"), "abc");
    Zep::FileHandle file = fs->OpenFile(Path("s.bin"), Zep::FS_OPEN_READ);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(2, fs->SeekFile(file, 2, Zep::FS_SEEK_SET));
    EXPECT_EQ(0, fs->SeekFile(file, -10, Zep::FS_SEEK_SET));
    EXPECT_EQ(0, fs->SeekFile(file, -10, Zep::FS_SEEK_CUR));
    char c = 0;
    EXPECT_EQ(1, fs->ReadFile(file, &c, 1));
    EXPECT_EQ('a', c);
    // Growing needs write access.
    EXPECT_EQ(-1, fs->SeekFile(file, 10, Zep::FS_SEEK_SET));
    EXPECT_EQ(Zep::FS_ERROR_ACCESS_DENIED, fs->GetLastError());
    fs->CloseFile(file);
    EXPECT_EQ("abc", ReadFile(Path("s.bin")));
}

TEST_F(FileSystemTest, MisusedHandlesAreReported) {
    WriteFile(Path("h.bin"), "x");
    Zep::FileHandle file = fs->OpenFile(Path("h.bin"), Zep::FS_OPEN_READ);
    ASSERT_NE(nullptr, file);
    fs->CloseFile(file);
    fs->CloseFile(nullptr);

    EXPECT_THAT(TestSupport::ReportOf<Zep::Exception::Panic>([&] { fs->CloseFile(file); }),
                HasSubstr("Zep::Win32::FileSystem.CloseFile(): file handle is wrong or file is not opened"));
    char c;
    EXPECT_THROW(fs->ReadFile(file, &c, 1), Zep::Exception::Panic);
    EXPECT_THROW(fs->WriteFile(file, &c, 1), Zep::Exception::Panic);
    EXPECT_THROW(fs->SeekFile(file, 0, 0), Zep::Exception::Panic);
    EXPECT_THROW(fs->SetEndOfFile(file), Zep::Exception::Panic);
    EXPECT_THAT(TestSupport::ReportOf<Zep::Exception::Assertion>([&] { fs->GetFileSize(file); }),
                HasSubstr("Zep::Win32::FileSystem.GetFileSize(): invalid file handle"));
    EXPECT_THROW(fs->IsFileAtEof(file), Zep::Exception::Assertion);

    // The lock is free again after the reports: another thread can still use the file system.
    std::thread other([this] {
        Zep::FileHandle again = fs->OpenFile(Path("h.bin"), Zep::FS_OPEN_READ);
        EXPECT_NE(nullptr, again);
        fs->CloseFile(again);
    });
    other.join();
}

TEST_F(FileSystemTest, FailedOpensSetTheirCodes) {
    MakeFolder("folder");
    EXPECT_EQ(nullptr, fs->OpenFile(Path("folder"), Zep::FS_OPEN_READ));
    EXPECT_EQ(Zep::FS_ERROR_ACCESS_DENIED, fs->GetLastError());
    EXPECT_EQ("OS[5]: Access is denied", fs->GetOSErrorText());

    EXPECT_EQ(nullptr, fs->OpenFile(Path("missing.txt"), Zep::FS_OPEN_READ));
    EXPECT_EQ(Zep::FS_ERROR_NOT_FOUND, fs->GetLastError());
    EXPECT_EQ("OS[2]: The system cannot find the file", fs->GetOSErrorText());
    EXPECT_EQ(-1, fs->GetFileSizeByPath(Path("missing.txt")));

    fs->SetLastError(Zep::FS_ERROR_WRONG_PARAMETERS);
    EXPECT_EQ("", fs->GetOSErrorText());
}

TEST_F(FileSystemTest, CreateFoldersFlagMakesTheMissingFolders) {
    Zep::FileHandle file = fs->OpenFile(Path("n1/n2/f.txt"), Zep::FS_OPEN_CREATE_FOLDERS);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(2, fs->WriteFile(file, "ok", 2));
    fs->CloseFile(file);
    EXPECT_EQ("ok", ReadFile(Path("n1/n2/f.txt")));
    EXPECT_EQ(2, fs->GetFileSizeByPath(Path("n1/n2/f.txt")));

    // A bare name has no folder part: it opens in the current directory.
    const std::string saved = fs->GetCurrentDirectory();
    ASSERT_TRUE(fs->SetCurrentDirectory(temp.Path()));
    file = fs->OpenFile("bare.txt", Zep::FS_OPEN_CREATE_FOLDERS);
    EXPECT_NE(nullptr, file);
    fs->CloseFile(file);
    ASSERT_TRUE(fs->SetCurrentDirectory(saved));
    EXPECT_TRUE(fs->PathExists(Path("bare.txt"), Zep::FS_PATH_FILE));
}

TEST_F(FileSystemTest, PathExistsByKind) {
    MakeFolder("d");
    WriteFile(Path("f"), "");
    EXPECT_TRUE(fs->PathExists(Path("f"), Zep::FS_PATH_FILE));
    EXPECT_FALSE(fs->PathExists(Path("f"), Zep::FS_PATH_DIRECTORY));
    EXPECT_TRUE(fs->PathExists(Path("d"), Zep::FS_PATH_DIRECTORY));
    EXPECT_FALSE(fs->PathExists(Path("d"), Zep::FS_PATH_FILE));
    EXPECT_TRUE(fs->PathExists(Path("d"), 7));

    fs->SetLastError(Zep::FS_ERROR_CANCELED);
    EXPECT_FALSE(fs->PathExists(Path("none"), Zep::FS_PATH_ANY));
    EXPECT_EQ(Zep::FS_ERROR_CANCELED, fs->GetLastError());
}

TEST_F(FileSystemTest, ContentNamedInAnotherCaseOpens) {
    MakeFolder("scripts");
    WriteFile(Path("scripts/main.lua"), "print(1)");
    EXPECT_TRUE(fs->PathExists(Path("Scripts/Main.lua"), Zep::FS_PATH_FILE));
    Zep::FileHandle file = fs->OpenFile(Path("Scripts/Main.lua"), Zep::FS_OPEN_READ);
    ASSERT_NE(nullptr, file);
    char buffer[8];
    EXPECT_EQ(8, fs->ReadFile(file, buffer, sizeof(buffer)));
    fs->CloseFile(file);
    EXPECT_EQ("print(1)", std::string(buffer, 8));
}

class ListingTest : public FileSystemTest {
protected:
    void SetUp() override {
        MakeFolder("a/sub/deeper");
        MakeFolder("a/.git");
        WriteFile(Path("a/x.txt"), "");
        WriteFile(Path("a/sub/Y.txt"), "");
        WriteFile(Path("a/sub/deeper/z.txt"), "");
        WriteFile(Path("a/.attributes"), "");
        WriteFile(Path("a/.git/config"), "");
    }
};

TEST_F(ListingTest, RecursiveFilesAreRelativePathsWithoutFolders) {
    std::vector<std::string> entries;
    ASSERT_TRUE(fs->GetDirectoryContents(entries, Path("a"), Zep::FS_LIST_FILES, true));
    EXPECT_THAT(entries, ElementsAre("sub/deeper/z.txt", "sub/Y.txt", "x.txt"));
}

TEST_F(ListingTest, FoldersComeBeforeTheirEntries) {
    std::vector<std::string> entries;
    ASSERT_TRUE(fs->GetDirectoryContents(entries, Path("a"), Zep::FS_LIST_ALL, true));
    EXPECT_THAT(entries, ElementsAre("sub", "sub/deeper", "sub/deeper/z.txt", "sub/Y.txt", "x.txt"));

    ASSERT_TRUE(fs->GetDirectoryContents(entries, Path("a"), Zep::FS_LIST_DIRECTORIES, false));
    EXPECT_THAT(entries, ElementsAre("sub"));
    ASSERT_TRUE(fs->GetDirectoryContents(entries, Path("a/"), Zep::FS_LIST_FILES, false));
    EXPECT_THAT(entries, ElementsAre("x.txt"));
}

TEST_F(ListingTest, MissingFolderGivesNotFound) {
    std::vector<std::string> entries = {"stale"};
    EXPECT_FALSE(fs->GetDirectoryContents(entries, Path("nothing"), Zep::FS_LIST_ALL, false));
    EXPECT_EQ(Zep::FS_ERROR_NOT_FOUND, fs->GetLastError());
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(fs->GetDirectoryContents(entries, Path("a/x.txt"), Zep::FS_LIST_ALL, false));
    EXPECT_EQ(Zep::FS_ERROR_NOT_FOUND, fs->GetLastError());
}

TEST_F(FileSystemTest, RecursiveWalksLeaveSymbolicLinksAlone) {
    MakeFolder("outside");
    WriteFile(Path("outside/keep.txt"), "keep");
    MakeFolder("tree/inner");
    WriteFile(Path("tree/inner/f.txt"), "");
    WriteFile(Path("tree/target.txt"), "target");
    std::filesystem::create_directory_symlink(Path("outside"), Path("tree/link"));
    std::filesystem::create_directory_symlink(Path("tree"), Path("tree/inner/loop"));
    std::filesystem::create_symlink(Path("tree/target.txt"), Path("tree/file-link"));

    std::vector<std::string> entries;
    ASSERT_TRUE(fs->GetDirectoryContents(entries, Path("tree"), Zep::FS_LIST_ALL, true));
    EXPECT_THAT(entries, ElementsAre("file-link", "inner", "inner/f.txt", "inner/loop", "link", "target.txt"));

    ASSERT_TRUE(fs->RemoveDirectory(Path("tree"), true));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(Path("tree"))));
    EXPECT_EQ("keep", ReadFile(Path("outside/keep.txt")));
}

TEST_F(FileSystemTest, CreateDirectory) {
    MakeFolder("a");
    EXPECT_TRUE(fs->CreateDirectory(Path("a"), false));
    EXPECT_TRUE(fs->CreateDirectory(Path("a/b/c"), true));
    EXPECT_TRUE(fs->PathExists(Path("a/b/c"), Zep::FS_PATH_DIRECTORY));

    EXPECT_FALSE(fs->CreateDirectory(Path("x/y"), false));
    EXPECT_EQ(Zep::FS_ERROR_NOT_FOUND, fs->GetLastError());

    // A file of that name is not a folder.
    WriteFile(Path("file"), "data");
    EXPECT_FALSE(fs->CreateDirectory(Path("file"), false));
    EXPECT_EQ(Zep::FS_ERROR_ALREADY_EXISTS, fs->GetLastError());
    EXPECT_FALSE(fs->CreateDirectory(Path("file"), true));
    EXPECT_FALSE(fs->CreateDirectory(Path("file/sub"), true));
    EXPECT_EQ("data", ReadFile(Path("file")));
}

TEST_F(FileSystemTest, RemoveDirectory) {
    MakeFolder("r/s");
    WriteFile(Path("r/s/locked.txt"), "");
    WriteFile(Path("r/.hidden"), "");
    ::chmod(Path("r/s/locked.txt").c_str(), 0444);

    EXPECT_FALSE(fs->RemoveDirectory(Path("r"), false));
    EXPECT_EQ(Zep::FS_ERROR_DIRECTORY_NOT_EMPTY, fs->GetLastError());
    EXPECT_TRUE(fs->RemoveDirectory(Path("r"), true));
    EXPECT_FALSE(fs->PathExists(Path("r"), Zep::FS_PATH_ANY));

    EXPECT_FALSE(fs->RemoveDirectory(Path("r"), true));
    EXPECT_EQ(Zep::FS_ERROR_NOT_FOUND, fs->GetLastError());
}

TEST_F(FileSystemTest, RenameNeverReplacesAndCopyObeysItsFlag) {
    WriteFile(Path("one"), "1");
    WriteFile(Path("two"), "2");
    EXPECT_FALSE(fs->Rename(Path("one"), Path("two")));
    EXPECT_EQ(Zep::FS_ERROR_ALREADY_EXISTS, fs->GetLastError());
    EXPECT_EQ("1", ReadFile(Path("one")));
    EXPECT_EQ("2", ReadFile(Path("two")));
    EXPECT_TRUE(fs->Rename(Path("one"), Path("three")));
    EXPECT_EQ("1", ReadFile(Path("three")));

    EXPECT_FALSE(fs->CopyFile(Path("three"), Path("two"), true));
    EXPECT_EQ(Zep::FS_ERROR_ALREADY_EXISTS, fs->GetLastError());
    EXPECT_EQ("2", ReadFile(Path("two")));
    EXPECT_TRUE(fs->CopyFile(Path("three"), Path("two"), false));
    EXPECT_EQ("1", ReadFile(Path("two")));

    EXPECT_TRUE(fs->DeleteFile(Path("two")));
    EXPECT_FALSE(fs->DeleteFile(Path("two")));
    EXPECT_EQ(Zep::FS_ERROR_NOT_FOUND, fs->GetLastError());
}

TEST_F(FileSystemTest, ErrorCodesArePerThread) {
    std::vector<std::string> entries;
    EXPECT_FALSE(fs->GetDirectoryContents(entries, Path("missing"), Zep::FS_LIST_ALL, false));
    ASSERT_EQ(Zep::FS_ERROR_NOT_FOUND, fs->GetLastError());

    int32_t seen = 1;
    std::string text;
    std::thread fresh([&] {
        seen = fs->GetLastError();
        text = fs->GetLastErrorText();
        fs->SetLastError(Zep::FS_ERROR_ACCESS_DENIED);
    });
    fresh.join();
    EXPECT_EQ(0, seen);
    EXPECT_EQ("No errors", text);
    EXPECT_EQ(Zep::FS_ERROR_NOT_FOUND, fs->GetLastError());
}

TEST_F(FileSystemTest, CurrentBinaryAndFullPaths) {
    auto* win32 = dynamic_cast<Zep::Win32::FileSystem*>(fs);
    ASSERT_NE(nullptr, win32);
    const std::string current = fs->GetCurrentDirectory();
    EXPECT_EQ(std::filesystem::current_path().string() + "/", current);

    const std::string binary = fs->GetBinaryDirectory();
    EXPECT_EQ(std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/", binary);

    EXPECT_EQ(current + "y", win32->GetFullPath("x/../y"));
    EXPECT_EQ("/a/b", win32->GetFullPath("/a/./b"));
    EXPECT_EQ("D:/y", win32->GetFullPath("d:\\x\\..\\y"));

    EXPECT_FALSE(fs->SetCurrentDirectory(Path("missing")));
    EXPECT_EQ(Zep::FS_ERROR_NOT_FOUND, fs->GetLastError());
    EXPECT_EQ(current, fs->GetCurrentDirectory());
}

TEST_F(FileSystemTest, ThreadsOpenAndCloseConcurrently) {
    Zep::Win32::FileSystem local;
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&, t] {
            const std::string path = Path("t" + std::to_string(t));
            for (int i = 0; i < 150; ++i) {
                Zep::FileHandle file = local.OpenFile(path, Zep::FS_OPEN_TRUNCATE);
                char byte = static_cast<char>(i);
                if (!file || local.WriteFile(file, &byte, 1) != 1 || local.SeekFile(file, 0, Zep::FS_SEEK_SET) != 0 ||
                    local.ReadFile(file, &byte, 1) != 1 || byte != static_cast<char>(i))
                    ++failures;
                local.CloseFile(file);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, failures.load());
    EXPECT_EQ(0, local.CloseAllFiles());
}

TEST_F(FileSystemTest, DestructorClosesWhatIsStillOpen) {
    WriteFile(Path("left.txt"), "x");
    TestSupport::StderrCapture capture;
    {
        Zep::Win32::FileSystem local;
        ASSERT_NE(nullptr, local.OpenFile(Path("left.txt"), Zep::FS_OPEN_READ));
        ASSERT_NE(nullptr, local.OpenFile(Path("left.txt"), Zep::FS_OPEN_READ));
    }
    EXPECT_THAT(capture.Text(), HasSubstr("2 file(s) were closed automatically at program termination (OS FS)\n"));
}

}  // namespace
