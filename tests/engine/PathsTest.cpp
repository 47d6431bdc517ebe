// Path helpers, error texts and open-flag normalisation.
#include <gtest/gtest.h>

#include <string>

#include "Common/Exceptions.h"
#include "Common/FileSystem.h"

namespace {

struct PathCase {
    const char* input;
    const char* expected;
};

TEST(PathsTest, NormalizedPathTable) {
    const PathCase cases[] = {
        {"a/b/../c", "a/c"},
        {"a//b", "a/b"},
        {"a\\\\b\\c", "a/b/c"},
        {"./a/./b", "./a/b"},
        {"d:\\x\\..\\y", "D:/y"},
        {"c:/Folder", "C:/Folder"},
        {"../x", "../x"},
        {"../../x", "../../x"},
        {"x/../..", ".."},
        {"a/b/", "a/b/"},
        {"a/./", "a/"},
        {".hidden/x", ".hidden/x"},
        {"a/.../b", "a/.../b"},
        {"a/..b/c", "a/..b/c"},
        {"a/b.c/d", "a/b.c/d"},
        // An absolute path never climbs above its root.
        {"/a/../../b", "/b"},
        {"/../x", "/x"},
        {"D:/../x", "D:/x"},
        {"/a/b/..", "/a/"},
        // A ':' after a separator belongs to a name: no drive, no upper-casing.
        {"/a/b:c", "/a/b:c"},
        {"x/y:z/../w", "x/w"},
        {"", ""},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(c.expected, Zep::GetNormalizedPath(c.input)) << "input: " << c.input;
}

TEST(PathsTest, CorrectlySlashedPathCollapsesSeparatorRunsOnly) {
    EXPECT_EQ("a/b/c/", Zep::GetCorrectlySlashedPath("a\\\\b//\\c\\"));
    EXPECT_EQ("/a/./../b", Zep::GetCorrectlySlashedPath("//a/./../b"));
}

TEST(PathsTest, ConcatPaths) {
    EXPECT_EQ("a/b", Zep::ConcatPaths("", "a//b"));
    EXPECT_EQ("x/z", Zep::ConcatPaths("x/y", "../z"));
    EXPECT_EQ("/root/file", Zep::ConcatPaths("/root/", "file"));
}

TEST(PathsTest, IsPathAbsolute) {
    for (const char* path : {"/a", "\\a", "D:/a", "D:\\a", "/"})
        EXPECT_TRUE(Zep::IsPathAbsolute(path)) << path;
    for (const char* path : {"a/b", "D:", ".", "", "name", "a\\b:/c"})
        EXPECT_FALSE(Zep::IsPathAbsolute(path)) << path;
}

TEST(PathsTest, ExtractNames) {
    EXPECT_EQ("c.txt", Zep::ExtractFileFullName("a/b/c.txt"));
    EXPECT_EQ("b", Zep::ExtractFileFullName("a/b/"));
    EXPECT_EQ("x", Zep::ExtractFileFullName("D:x"));
    EXPECT_EQ("c", Zep::ExtractFileFullName("a\\b\\c"));
    EXPECT_EQ("", Zep::ExtractFileFullName(""));

    EXPECT_EQ("b.c", Zep::ExtractFileName("a/b.c.d"));
    EXPECT_EQ("b", Zep::ExtractFileName("a/b"));

    EXPECT_EQ("txt", Zep::ExtractFileExtension("a/b.txt"));
    EXPECT_EQ("txt", Zep::ExtractFileExtension("a/b.txt/"));
    EXPECT_EQ("gz", Zep::ExtractFileExtension("archive.tar.gz"));
    EXPECT_EQ("", Zep::ExtractFileExtension("a.b/c"));
    EXPECT_EQ("", Zep::ExtractFileExtension("name"));
}

TEST(PathsTest, ExtractBranchKeepsTheRoot) {
    const PathCase cases[] = {
        {"a/b/c", "a/b/"}, {"a/b/", "a/"}, {"/x", "/"},         {"D:/x/y", "D:/x/"}, {"D:/x", "D:/"},
        {"name", ""},      {"/", "/"},     {"a\\b\\c", "a/b/"}, {"D:", "D:"},        {"/a/b:c", "/a/"},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(c.expected, Zep::ExtractBranch(c.input)) << "input: " << c.input;
}

TEST(PathsTest, ExtractPathWithoutExtension) {
    EXPECT_EQ("a/b", Zep::ExtractPathWithoutExtension("a/b.txt"));
    EXPECT_EQ("a/b", Zep::ExtractPathWithoutExtension("a/b.txt/"));
    EXPECT_EQ("a/b", Zep::ExtractPathWithoutExtension("a/b"));
    EXPECT_EQ("a.b/c", Zep::ExtractPathWithoutExtension("a.b/c"));
    EXPECT_EQ("/", Zep::ExtractPathWithoutExtension("/.x"));
    EXPECT_EQ("D:/", Zep::ExtractPathWithoutExtension("D:/.x"));
}

TEST(PathsTest, ErrorTexts) {
    EXPECT_STREQ("No errors", Zep::FileSystem::GetErrorText(0));
    EXPECT_STREQ("One or more parameters are wrong", Zep::FileSystem::GetErrorText(-1));
    EXPECT_STREQ("File in bundle is duplicated and is in use now", Zep::FileSystem::GetErrorText(-10));
    EXPECT_STREQ("File or directory not found", Zep::FileSystem::GetErrorText(-17));
    EXPECT_STREQ("Can not rename/move file or directory", Zep::FileSystem::GetErrorText(-19));
    EXPECT_STREQ("Unknown system error", Zep::FileSystem::GetErrorText(-24));
    for (int code : {-11, -12, -13, -14, -15, -16, -25, 1})
        EXPECT_THROW(Zep::FileSystem::GetErrorText(code), Zep::Exception::Assertion) << code;
}

TEST(PathsTest, OpenFlagNormalisation) {
    const struct {
        uint32_t given;
        uint32_t used;
    } cases[] = {
        {0x00, 0x05}, {0x01, 0x05}, {0x02, 0x02}, {0x03, 0x03}, {0x08, 0x0D},
        {0x10, 0x13}, {0x20, 0x33}, {0x40, 0x53}, {0x11, 0x13},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.used, Zep::NormalizeOpenFlags(c.given)) << "flags 0x" << std::hex << c.given;
}

}  // namespace
