// File helpers: case-insensitive lookup, line splitting, and atomic rewrites
// that leave the old file whole whatever goes wrong.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include "shared/file_io.h"
#include "test_support.h"

namespace tama {
namespace {

using test::fileBytes;
using test::putBytes;
using test::TempFolder;

std::vector<std::string> lines(std::string_view bytes) {
    std::vector<std::string> out;
    int expectNo = 0;
    forEachLine(bytes, [&](int no, std::string_view line) {
        EXPECT_EQ(no, ++expectNo);
        out.emplace_back(line);
    });
    return out;
}

TEST(FileIoTest, SplitsLinesOnCrLfAndLf) {
    using V = std::vector<std::string>;
    EXPECT_EQ(lines("a\r\nb\nc"), (V{"a", "b", "c"}));
    EXPECT_EQ(lines("a\r\n"), (V{"a"}));
    EXPECT_EQ(lines(""), V{});
    EXPECT_EQ(lines("\r\n\r\n"), (V{"", ""}));
    EXPECT_EQ(lines("a\r\r\n"), (V{"a\r"}));
}

TEST(FileIoTest, FindsNamesWithoutRegardToCase) {
    TempFolder tmp;
    putBytes(tmp.path() / "S2003.SDB", "x");
    EXPECT_EQ(findNoCase(tmp.path(), "s2003.sdb"), tmp.path() / "S2003.SDB");
    EXPECT_EQ(findNoCase(tmp.path(), "S2003.SDB"), tmp.path() / "S2003.SDB");
    EXPECT_EQ(findNoCase(tmp.path(), "s2004.sdb"), tmp.path() / "s2004.sdb");
    EXPECT_EQ(findNoCase(tmp.path() / "none", "Holl.dat"), tmp.path() / "none" / "Holl.dat");
    EXPECT_TRUE(equalsNoCase("Holl.dat", "hOLL.DAT"));
    EXPECT_FALSE(equalsNoCase("Ｈ", "ｈ"));  // only ASCII letters fold
    EXPECT_FALSE(equalsNoCase("a", "ab"));
}

TEST(FileIoTest, ReadsWholeFiles) {
    TempFolder tmp;
    EXPECT_FALSE(readFileBytes(tmp.path() / "missing").has_value());
    EXPECT_FALSE(readFileBytes(tmp.path() / "missing" / "deeper").has_value());
    std::string big(200000, 'x');
    big[123456] = '\0';
    putBytes(tmp.path() / "big", big);
    EXPECT_EQ(readFileBytes(tmp.path() / "big"), big);
    EXPECT_THROW(readFileBytes(tmp.path()), FileError);  // a folder is not a file
}

std::vector<std::string> names(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(FileIoTest, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
    TempFolder tmp;
    fs::path f = tmp.path() / "Year.txt";
    writeFileAtomic(f, "one");
    writeFileAtomic(f, "two\r\n");
    EXPECT_EQ(fileBytes(f), "two\r\n");
    writeFileAtomic(f, "");
    EXPECT_EQ(fs::file_size(f), 0u);
    EXPECT_EQ(names(tmp.path()), std::vector<std::string>{"Year.txt"});
}

TEST(FileIoTest, FailedAtomicWriteLeavesTheOldFileWhole) {
    TempFolder tmp;
    fs::path f = tmp.path() / "s2003.sdb";
    putBytes(f, "old");


    // The disk fills up half-way: the file size limit stands in for a full disk.
    std::string big(100000, 'n');
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    bool threw = false;
    try {
        writeFileAtomic(f, big);
    } catch (const FileError& e) {
        threw = true;
        EXPECT_EQ(e.file(), f);
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(threw);
    EXPECT_EQ(fileBytes(f), "old");
    EXPECT_EQ(names(tmp.path()), std::vector<std::string>{"s2003.sdb"});

    // A folder in the way of the name itself.
    fs::create_directory(tmp.path() / "Year.txt");
    putBytes(tmp.path() / "Year.txt" / "inside", "kept");
    EXPECT_THROW(writeFileAtomic(tmp.path() / "Year.txt", "x"), FileError);
    EXPECT_EQ(fileBytes(tmp.path() / "Year.txt" / "inside"), "kept");
    EXPECT_EQ(names(tmp.path()), (std::vector<std::string>{"Year.txt", "s2003.sdb"}));

    // A read-only file stays as it is, even though renaming over it would work.
    fs::permissions(f, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_THROW(writeFileAtomic(f, "new"), FileError);
    EXPECT_EQ(fileBytes(f), "old");
    fs::permissions(f, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write);
    writeFileAtomic(f, "new");  // permissions kept
    EXPECT_EQ(fs::status(f).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write);

    // No folder: nothing is created.
    EXPECT_THROW(writeFileAtomic(tmp.path() / "none" / "x", "x"), FileError);
    EXPECT_FALSE(fs::exists(tmp.path() / "none"));
}

TEST(FileIoTest, ErrorsNameFileAndLine) {
    FileError withLine("/p/Data/太郎/s2003.sdb", 4, "項目が24個ではありません");
    EXPECT_EQ(std::string(withLine.what()), "/p/Data/太郎/s2003.sdb (4行目): 項目が24個ではありません");
    EXPECT_EQ(withLine.line(), 4);
    EXPECT_EQ(withLine.detail(), "項目が24個ではありません");
    FileError noLine("/p/Year.txt", 0, "書き込めません");
    EXPECT_EQ(std::string(noLine.what()), "/p/Year.txt: 書き込めません");
}

}  // namespace
}  // namespace tama
