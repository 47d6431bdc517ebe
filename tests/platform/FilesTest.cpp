// The layer's file and folder calls on their own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "LayerInternal.h"
#include "TestHooks.h"
#include "TestSupport.h"
#include "windows.h"

namespace {

using TestSupport::TempFolder;

std::string Contents(const std::string& path) {
    return TestSupport::ReadFile(path);
}

void Put(const std::string& path, const std::string& text) {
    TestSupport::WriteFile(path, text);
}

std::u16string W(const std::string& text) {
    return PlatformInternal::Utf8ToUtf16(text);
}

HANDLE Open(const std::string& path, DWORD access, DWORD disposition) {
    return CreateFileW(W(path).c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The names of a search, in the order it gives them.
std::vector<std::string> Search(const std::string& pattern, DWORD* error = nullptr) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(W(pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        if (error)
            *error = GetLastError();
        return names;
    }
    do {
        names.push_back(PlatformInternal::Utf16ToUtf8(data.cFileName));
    } while (FindNextFileW(find, &data));
    if (error)
        *error = GetLastError();
    EXPECT_TRUE(FindClose(find));
    return names;
}

class FilesTest : public ::testing::Test {
protected:
    TempFolder temp;
    std::string Path(const std::string& name) const { return temp.File(name); }
    void TearDown() override { PlatformTest::SetCaseInsensitiveLookup(true); }
};

TEST_F(FilesTest, CreationDispositions) {
    HANDLE file = Open(Path("f"), GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, "abc", 3, &written, nullptr));
    EXPECT_EQ(3u, written);
    EXPECT_TRUE(CloseHandle(file));

    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(Path("f"), GENERIC_WRITE, CREATE_NEW));
    EXPECT_EQ(ERROR_FILE_EXISTS, GetLastError());

    file = Open(Path("f"), GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_EQ(ERROR_ALREADY_EXISTS, GetLastError());
    LARGE_INTEGER size;
    EXPECT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_EQ(0, size.QuadPart);
    CloseHandle(file);
}

TEST_F(FilesTest, LookupFailuresTellAMissingFileFromAMissingFolder) {
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(Path("none.txt"), GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(Path("nodir/none.txt"), GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, GetLastError());
    EXPECT_FALSE(CreateDirectoryW(W(Path("nodir/sub")).c_str(), nullptr));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, GetLastError());
    EXPECT_TRUE(CreateDirectoryW(W(Path("dir")).c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryW(W(Path("dir")).c_str(), nullptr));
    EXPECT_EQ(ERROR_ALREADY_EXISTS, GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(Path("dir"), GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open("", GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(ERROR_INVALID_NAME, GetLastError());
}

// Opening a named pipe would wait for a writer (or, to write, for a reader): it is
// refused at once, like a folder, whatever the access and the disposition. So is a
// device. The check runs in a child with an alarm, so that a wait fails the test.
TEST_F(FilesTest, SpecialFilesAreRefusedWithoutWaiting) {
    ASSERT_EQ(0, ::mkfifo(Path("pipe").c_str(), 0644));
    ASSERT_EQ(0, ::symlink(Path("pipe").c_str(), Path("link to pipe").c_str()));
    const std::vector<std::string> paths = {Path("pipe"), Path("link to pipe"), "/dev/null"};
    const std::vector<std::pair<DWORD, DWORD>> opens = {{GENERIC_READ, OPEN_EXISTING},
                                                        {GENERIC_WRITE, OPEN_EXISTING},
                                                        {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS},
                                                        {GENERIC_WRITE, CREATE_ALWAYS},
                                                        {GENERIC_WRITE, TRUNCATE_EXISTING}};
    const TestSupport::ChildResult child = TestSupport::RunInChild([&] {
        ::alarm(5);
        for (const std::string& path : paths) {
            for (const auto& open : opens) {
                SCOPED_TRACE(path + " access " + std::to_string(open.first) + " disposition " +
                             std::to_string(open.second));
                EXPECT_EQ(INVALID_HANDLE_VALUE, Open(path, open.first, open.second));
                EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
            }
        }
    });
    EXPECT_EQ(0, child.exitCode) << child.stdErr;
    // Still what the attribute query found there.
    EXPECT_EQ(FILE_ATTRIBUTE_ARCHIVE, GetFileAttributesW(W(Path("pipe")).c_str()));
}

TEST_F(FilesTest, BackSlashesSeparate) {
    Put(Path("b.txt"), "12345");
    std::string windowsPath = Path("b.txt");
    for (char& c : windowsPath) {
        if (c == '/')
            c = '\\';
    }
    HANDLE file = Open(windowsPath, GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
}

TEST_F(FilesTest, PointerReadAndAccessRules) {
    Put(Path("p"), "0123456789");
    HANDLE file = Open(Path("p"), GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    LARGE_INTEGER distance, reached;
    distance.QuadPart = -3;
    EXPECT_TRUE(SetFilePointerEx(file, distance, &reached, FILE_END));
    EXPECT_EQ(7, reached.QuadPart);
    char buffer[8];
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(file, buffer, sizeof(buffer), &read, nullptr));
    EXPECT_EQ(3u, read);
    EXPECT_TRUE(ReadFile(file, buffer, sizeof(buffer), &read, nullptr));
    EXPECT_EQ(0u, read);

    distance.QuadPart = -1;
    EXPECT_FALSE(SetFilePointerEx(file, distance, &reached, FILE_BEGIN));
    EXPECT_EQ(ERROR_NEGATIVE_SEEK, GetLastError());
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(file, "x", 1, &written, nullptr));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_FALSE(SetEndOfFile(file));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(ReadFile(file, buffer, 1, &read, nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
}

TEST_F(FilesTest, ReadOnlyFilesRefuseWritingAndDeletion) {
    Put(Path("ro"), "keep");
    ASSERT_TRUE(SetFileAttributesW(W(Path("ro")).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, GetFileAttributesW(W(Path("ro")).c_str()));
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(Path("ro"), GENERIC_WRITE, OPEN_EXISTING));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_FALSE(DeleteFileW(W(Path("ro")).c_str()));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    ASSERT_TRUE(SetFileAttributesW(W(Path("ro")).c_str(), FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_TRUE(DeleteFileW(W(Path("ro")).c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(W(Path("ro")).c_str()));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
}

TEST_F(FilesTest, AttributesOfFoldersAndHiddenNames) {
    std::filesystem::create_directories(Path(".tool/x"));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN, GetFileAttributesW(W(Path(".tool")).c_str()));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesW(W(Path(".tool/x/")).c_str()));
    EXPECT_FALSE(DeleteFileW(W(Path(".tool/x")).c_str()));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_FALSE(RemoveDirectoryW(W(Path(".tool")).c_str()));
    EXPECT_EQ(ERROR_DIR_NOT_EMPTY, GetLastError());
}

TEST_F(FilesTest, CaseInsensitiveFallbackLookup) {
    std::filesystem::create_directories(Path("scripts"));
    Put(Path("scripts/main.lua"), "lua");
    HANDLE file = Open(Path("Scripts/Main.lua"), GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(W(Path("SCRIPTS")).c_str()));
    EXPECT_EQ(std::vector<std::string>({".", "..", "main.lua"}), Search(Path("SCRIPTS/*.*")));

    // New components keep their case; existing parents are found in theirs.
    file = Open(Path("SCRIPTS/New.lua"), GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    EXPECT_TRUE(std::filesystem::exists(Path("scripts/New.lua")));
    // Replacing a file named in another case replaces that very file.
    file = Open(Path("scripts/MAIN.LUA"), GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    EXPECT_EQ("", Contents(Path("scripts/main.lua")));
    EXPECT_FALSE(std::filesystem::exists(Path("scripts/MAIN.LUA")));

    PlatformTest::SetCaseInsensitiveLookup(false);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(Path("Scripts/Main.lua"), GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, GetLastError());
}

TEST_F(FilesTest, SearchesListDotsFirstThenNtfsOrder) {
    for (const char* name : {"b.txt", "A.txt", "_z", "C.dat", "a1", ".hidden"})
        Put(Path(name), "");
    std::filesystem::create_directories(Path("D"));
    EXPECT_EQ(std::vector<std::string>({".", "..", ".hidden", "A.txt", "a1", "b.txt", "C.dat", "D", "_z"}),
              Search(Path("*.*")));
    EXPECT_EQ(std::vector<std::string>({"A.txt", "b.txt"}), Search(Path("*.TXT")));
    EXPECT_EQ(std::vector<std::string>({"a1"}), Search(Path("?1")));

    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(W(Path("*")).c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    // The listing is a snapshot: removing entries during the walk is safe.
    std::filesystem::remove(Path("b.txt"));
    std::vector<DWORD> attributes;
    while (FindNextFileW(find, &data))
        attributes.push_back(data.dwFileAttributes);
    EXPECT_EQ(ERROR_NO_MORE_FILES, GetLastError());
    FindClose(find);
    ASSERT_EQ(8u, attributes.size());
    EXPECT_EQ(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN, attributes[1]);
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, attributes[6]);

    DWORD error = 0;
    EXPECT_TRUE(Search(Path("*.none"), &error).empty());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, error);
    EXPECT_TRUE(Search(Path("missing/*.*"), &error).empty());
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, error);
}

TEST_F(FilesTest, MovesNeverReplace) {
    Put(Path("src"), "source");
    Put(Path("dst"), "target");
    EXPECT_FALSE(MoveFileW(W(Path("src")).c_str(), W(Path("dst")).c_str()));
    EXPECT_EQ(ERROR_ALREADY_EXISTS, GetLastError());
    EXPECT_EQ("source", Contents(Path("src")));
    EXPECT_EQ("target", Contents(Path("dst")));
    EXPECT_TRUE(MoveFileW(W(Path("src")).c_str(), W(Path("moved")).c_str()));
    EXPECT_EQ("source", Contents(Path("moved")));
    EXPECT_FALSE(MoveFileW(W(Path("src")).c_str(), W(Path("again")).c_str()));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
}

TEST_F(FilesTest, CopiesObeyFailIfExistsAndNeverEmptyTheirSource) {
    Put(Path("src"), "source");
    Put(Path("dst"), "target");
    EXPECT_FALSE(CopyFileW(W(Path("src")).c_str(), W(Path("dst")).c_str(), TRUE));
    EXPECT_EQ(ERROR_FILE_EXISTS, GetLastError());
    EXPECT_TRUE(CopyFileW(W(Path("src")).c_str(), W(Path("dst")).c_str(), FALSE));
    EXPECT_EQ("source", Contents(Path("dst")));
    EXPECT_FALSE(CopyFileW(W(Path("src")).c_str(), W(Path("SRC")).c_str(), FALSE));
    EXPECT_EQ("source", Contents(Path("src")));
}

TEST_F(FilesTest, RemovingAFolderLinkRemovesOnlyTheLink) {
    std::filesystem::create_directories(Path("real"));
    Put(Path("real/f"), "x");
    std::filesystem::create_directory_symlink(Path("real"), Path("link"));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, GetFileAttributesW(W(Path("link")).c_str()));
    EXPECT_TRUE(RemoveDirectoryW(W(Path("link")).c_str()));
    EXPECT_EQ("x", Contents(Path("real/f")));
    EXPECT_FALSE(RemoveDirectoryW(W(Path("real/f")).c_str()));
    EXPECT_EQ(ERROR_DIRECTORY, GetLastError());
}

TEST_F(FilesTest, CurrentDirectoryAndFreeSpace) {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    const std::string current = std::filesystem::current_path().string();
    EXPECT_EQ(current.size() + 1, needed);
    std::vector<WCHAR> buffer(needed);
    EXPECT_EQ(needed - 1, GetCurrentDirectoryW(needed, buffer.data()));
    EXPECT_EQ(current, PlatformInternal::Utf16ToUtf8(buffer.data()));
    EXPECT_EQ(needed, GetCurrentDirectoryW(needed - 1, buffer.data()));

    EXPECT_FALSE(SetCurrentDirectoryW(W(Path("missing")).c_str()));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());

    ULARGE_INTEGER available, total, free;
    EXPECT_TRUE(GetDiskFreeSpaceExW(nullptr, &available, &total, &free));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_LE(available.QuadPart, free.QuadPart);
}

TEST_F(FilesTest, SystemMessages) {
    char text[512];
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
    DWORD length = FormatMessageA(flags, nullptr, ERROR_ACCESS_DENIED, 0, text, sizeof(text), nullptr);
    EXPECT_EQ("Access is denied. ", std::string(text, length));
    length = FormatMessageA(flags, nullptr, ERROR_DIR_NOT_EMPTY, 0, text, sizeof(text), nullptr);
    EXPECT_EQ("The directory is not empty. ", std::string(text, length));
    EXPECT_EQ(0u, FormatMessageA(flags, nullptr, ERROR_INVALID_NAME, 0, text, 8, nullptr));
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, GetLastError());
}

}  // namespace
