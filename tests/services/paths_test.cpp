#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <string>

#include "services/utility.h"
#include "support/test_support.h"

namespace {

struct Parts {
    char drive[kKvPathMax];
    char directory[kKvPathMax];
    char name[kKvPathMax];
    char extension[kKvPathMax];
};

TEST(PathSplit, Parts) {
    struct Case {
        const char* path;
        const char* drive;
        const char* directory;
        const char* name;
        const char* extension;
    };
    const Case cases[] = {
        {"C:\\media\\clipLongName.mov", "C:", "\\media\\", "clipLongName", ".mov"},
        {"/x/y/ab.mxf", "", "/x/y/", "ab", ".mxf"},
        {"ab", "", "", "ab", ""},
        {"", "", "", "", ""},
        {"/dir.v2/file", "", "/dir.v2/", "file", ""},
        {"dir.v2\\sub/file.tar.gz", "", "dir.v2\\sub/", "file.tar", ".gz"},
        {".hidden", "", "", ".hidden", ""},
        {"/a/.hidden", "", "/a/", ".hidden", ""},
        {"/a/.hidden.txt", "", "/a/", ".hidden", ".txt"},
        {"name.", "", "", "name", "."},
        {"d:clip.avi", "d:", "", "clip", ".avi"},
        {"/only/dir/", "", "/only/dir/", "", ""},
        {"1:x.mov", "", "", "1:x", ".mov"},
        {"C:", "C:", "", "", ""},
    };
    for (const Case& c : cases) {
        Parts p;
        std::memset(&p, 'Z', sizeof p);
        kvOSSplitPath(c.path, p.drive, p.directory, p.name, p.extension);
        EXPECT_STREQ(p.drive, c.drive) << c.path;
        EXPECT_STREQ(p.directory, c.directory) << c.path;
        EXPECT_STREQ(p.name, c.name) << c.path;
        EXPECT_STREQ(p.extension, c.extension) << c.path;
    }
}

TEST(PathSplit, NullOutputsAreSkipped) {
    char name[kKvPathMax] = "old";
    kvOSSplitPath("C:\\a\\b.mov", nullptr, nullptr, name, nullptr);
    EXPECT_STREQ(name, "b");
    char directory[kKvPathMax];
    kvOSSplitPath(nullptr, nullptr, directory, nullptr, nullptr);
    EXPECT_STREQ(directory, "");
}

TEST(PathSplit, OverlongPartsAreCutToTheBuffer) {
    const std::string longDir = "/" + std::string(5000, 'd') + "/";
    const std::string longName = std::string(5000, 'n');
    const std::string path = longDir + longName + "." + std::string(5000, 'e');
    Parts p;
    kvOSSplitPath(path.c_str(), p.drive, p.directory, p.name, p.extension);
    EXPECT_EQ(std::string(p.directory), longDir.substr(0, kKvPathMax - 1));
    EXPECT_EQ(std::string(p.name), longName.substr(0, kKvPathMax - 1));
    EXPECT_EQ(std::strlen(p.extension), kKvPathMax - 1);
    EXPECT_EQ(p.extension[0], '.');
}

TEST(PathMake, Joins) {
    struct Case {
        const char* drive;
        const char* directory;
        const char* name;
        const char* extension;
        const char* path;
    };
    const Case cases[] = {
        {"C:", "\\media\\", "clip", ".mov", "C:\\media\\clip.mov"},
        {"", "/x/y/", "ab", ".mxf", "/x/y/ab.mxf"},
        {nullptr, "/x/y", "ab", ".mxf", "/x/y/ab.mxf"},
        {nullptr, "C:\\dir", "ab", nullptr, "C:\\dir/ab"},
        {nullptr, nullptr, "ab", ".avi", "ab.avi"},
        {nullptr, "", "ab", "", "ab"},
        {nullptr, "rel", nullptr, nullptr, "rel/"},
        {nullptr, nullptr, nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        char out[kKvPathMax];
        std::memset(out, 'Z', sizeof out);
        kvOSMakePath(out, c.drive, c.directory, c.name, c.extension);
        EXPECT_STREQ(out, c.path);
    }
}

TEST(PathMake, SplitThenMakeGivesThePathBack) {
    for (const char* path : {"C:\\media\\clipLongName.mov", "/x/y/ab.mxf", "ab", "/a/.hidden"}) {
        Parts p;
        kvOSSplitPath(path, p.drive, p.directory, p.name, p.extension);
        char out[kKvPathMax];
        kvOSMakePath(out, p.drive, p.directory, p.name, p.extension);
        EXPECT_STREQ(out, path);
    }
}

TEST(PathMake, OverlongResultIsCut) {
    const std::string directory(3000, 'd');
    const std::string name(3000, 'n');
    char out[kKvPathMax];
    kvOSMakePath(out, "C:", directory.c_str(), name.c_str(), ".mov");
    const std::string expected = ("C:" + directory + "/" + name).substr(0, kKvPathMax - 1);
    EXPECT_EQ(std::string(out), expected);
}

TEST(PathSeparators, BackslashesBecomeSlashes) {
    char path[] = "C:\\media\\sub/clip.mov";
    kvOSFixSeparators(path);
    EXPECT_STREQ(path, "C:/media/sub/clip.mov");
    kvOSFixSeparators(nullptr);
}

TEST(PathFull, RelativePathsGetTheCurrentDirectory) {
    char cwd[kKvPathMax];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const std::string base = std::string(cwd) + (std::string(cwd) == "/" ? "" : "/");
    struct Case {
        const char* path;
        std::string full;
    };
    const Case cases[] = {
        {"list.edl", base + "list.edl"},
        {"sub/../list.edl", base + "sub/../list.edl"},
        {"/abs/list.edl", "/abs/list.edl"},
        {"\\\\server\\share", "\\\\server\\share"},
        {"C:\\media\\a.mov", "C:\\media\\a.mov"},
    };
    for (const Case& c : cases) {
        char out[kKvPathMax];
        kvOSFullPath(out, c.path, sizeof out);
        EXPECT_EQ(std::string(out), c.full) << c.path;
    }
}

TEST(PathFull, CutToSize) {
    char out[8];
    std::memset(out, 'Z', sizeof out);
    kvOSFullPath(out, "/abcdefghijk", 5);
    EXPECT_STREQ(out, "/abc");
    EXPECT_EQ(out[5], 'Z');
    kvOSFullPath(out, "/abc", 1);
    EXPECT_STREQ(out, "");
    out[0] = 'Z';
    kvOSFullPath(out, "/abc", 0);
    EXPECT_EQ(out[0], 'Z');
}

TEST(PathQuery, FilesAndDirectories) {
    edlbtest::TempDir dir;
    const std::string file = dir.write("clip.mov", "x");
    const std::string empty = dir.write("empty.mov", "");
    struct Case {
        std::string path;
        int exists;
        int isDir;
    };
    const Case cases[] = {
        {file, 1, 0},
        {empty, 1, 0},
        {dir.path(), 0, 1},
        {dir.path() + "/", 0, 1},
        {dir.file("missing.mov"), 0, 0},
        {"", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kvOSFileExists(c.path.c_str()), c.exists) << c.path;
        EXPECT_EQ(kvOSFileIsDir(c.path.c_str()), c.isDir) << c.path;
    }
    EXPECT_EQ(kvOSFileExists(nullptr), 0);
    EXPECT_EQ(kvOSFileIsDir(nullptr), 0);
}

}  // namespace
