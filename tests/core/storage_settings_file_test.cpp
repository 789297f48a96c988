// The settings file: case-insensitive sections and keys, trimmed and unquoted
// values, the 1023-byte cut, defaults for empty values, and rewrites that keep
// every other line as it was.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "storage/settings_file.h"
#include "test_support.h"

namespace tama {
namespace {

using test::dataFile;
using test::fileBytes;
using test::putBytes;
using test::sjis;
using test::TempFolder;

class SettingsFileTest : public ::testing::Test {
protected:
    TempFolder tmp;
    fs::path path = tmp.path() / "tmrec.ini";
    SettingsFile settings{path};
    void useDataFile() { putBytes(path, fileBytes(dataFile("tmrec.ini"))); }
};

TEST_F(SettingsFileTest, ReadsValuesTheWayWindowsAskForThem) {
    useDataFile();
    // The graph window writes "gluf"/"frmgluf." and reads "Gluf"/"frmGluf.".
    EXPECT_EQ(settings.read("Gluf", "frmGluf.Width"), "5000");
    EXPECT_EQ(settings.read("GLUF", "FRMGLUF.WIDTH"), "5000");
    EXPECT_EQ(settings.read("Gluf", "frmGluf.Top"), "300");            // single quotes
    EXPECT_EQ(settings.read("monthly", "cboUser.Text"), "山田 太郎");  // double quotes, CP932
    EXPECT_EQ(settings.read("Option", "cmdGluf.BackColor"), "255");    // spaces around
    EXPECT_EQ(settings.read("monthly", "frmMonthly.Top"), "120.5");
    EXPECT_EQ(settings.read("Option", "chkG2.Value"), "");          // empty value
    EXPECT_EQ(settings.readOr("Option", "chkG2.Value", "1"), "1");  // ... takes the default
    EXPECT_EQ(settings.readOr("Option", "chkG1.Value", "0"), "0");  // missing key
    EXPECT_EQ(settings.read("Option", "frmdb.Width"), "");          // key of another section
    EXPECT_EQ(settings.read("nosuch", "frmdb.Width"), "");
    EXPECT_EQ(settings.read("db", "frmdb.Width"), "11160");

    OptionSet o = readOptionSet(settings);
    OptionSet expected;
    expected.cmdAllBackColor = "-2147483633";
    expected.cmdGlufBackColor = "255";
    EXPECT_EQ(o, expected);
    EXPECT_EQ(colourValue(o.cmdAllBackColor, 0), 0x8000000Fu);  // button face
    EXPECT_EQ(colourValue(o.cmdGlufBackColor, 0), 255u);        // red
    EXPECT_EQ(colourValue("blue", 7), 7u);
    EXPECT_EQ(colourValue("4294967296", 7), 7u);
    EXPECT_TRUE(flagValue(o.chkG2Value, false));
    EXPECT_FALSE(flagValue("0", true));
    EXPECT_TRUE(flagValue("x", true));
}

TEST_F(SettingsFileTest, MissingFileGivesDefaultsAndIsNotCreatedByReading) {
    EXPECT_EQ(readOptionSet(settings), OptionSet{});
    EXPECT_EQ(settings.read("monthly", "cboUser.Text"), "");
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(SettingsFileTest, LongValuesComeBackCutTo1023BytesWithoutSplittingACharacter) {
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += s;
        return out;
    };
    putBytes(path, "[s]\r\nascii=" + std::string(1500, 'x') + "\r\n" + sjis("wide=" + repeat("あ", 750) + "\n") +
                       sjis("odd=a" + repeat("あ", 749) + "\n"));
    EXPECT_EQ(settings.read("s", "ascii"), std::string(1023, 'x'));
    // 511 characters are 1022 bytes; the 512th would need bytes 1023 and 1024.
    EXPECT_EQ(settings.read("s", "wide"), repeat("あ", 511));
    EXPECT_EQ(settings.read("s", "odd"), "a" + repeat("あ", 511));  // 1 + 1022 bytes: exactly 1023
}

TEST_F(SettingsFileTest, SecondBytesOfDoubleByteCharactersAreNotTakenForLettersOrBrackets) {
    // ア is 83 41 and ャ is 83 61: compared byte by byte without case they look alike.
    // ‐ is 81 5D, whose second byte is "]".
    putBytes(path, sjis("[s]\nャ=small\n[ab‐\nafter=1\n"));
    EXPECT_EQ(settings.read("s", "ア"), "");
    EXPECT_EQ(settings.read("s", "ャ"), "small");
    EXPECT_EQ(settings.read("s", "after"), "1");  // "[ab‐" does not open a section
}

TEST_F(SettingsFileTest, FirstWriteCreatesTheFile) {
    EXPECT_TRUE(settings.write("gluf", "frmgluf.Width", "5000"));
    EXPECT_TRUE(settings.write("monthly", "cboUser.Text", "山田"));
    EXPECT_EQ(fileBytes(path), sjis("[gluf]\nfrmgluf.Width=5000\n[monthly]\ncboUser.Text=山田\n"));
    EXPECT_EQ(settings.read("Gluf", "frmGluf.Width"), "5000");
}

TEST_F(SettingsFileTest, WriteChangesOneLineAndKeepsEveryOtherLine) {
    useDataFile();
    // Written in the graph window's spelling, read back in the other.
    EXPECT_TRUE(settings.write("gluf", "frmgluf.Width", "6000"));
    EXPECT_TRUE(settings.write("Option", "chkG3.Value", "0"));       // new key: after the section's last key
    EXPECT_TRUE(settings.write("db", "frmdb.Height", "7980"));       // new key in the last section
    EXPECT_TRUE(settings.write("Settings2", "k", "v"));              // new section at the end
    EXPECT_TRUE(settings.write("MONTHLY", "CBOUSER.TEXT", "花子"));  // replaces, keeps its place
    EXPECT_EQ(fileBytes(path), sjis("[Option]\n"
                                    "cmdAll.BackColor=-2147483633\n"
                                    "cmdGluf.BackColor= 255 \n"
                                    "chkG2.Value=\n"
                                    "chkG3.Value=0\n"
                                    "\n"
                                    "[monthly]\n"
                                    "CBOUSER.TEXT=花子\n"
                                    "frmMonthly.Top=120.5\n"
                                    "mfgDat.ColWidth(0)=1200\n"
                                    "[gluf]\n"
                                    "frmgluf.Width=6000\n"
                                    "frmgluf.Top='300'\n"
                                    "[db]\n"
                                    "frmdb.Width=11160\n"
                                    "frmdb.Height=7980\n"
                                    "[Settings2]\n"
                                    "k=v\n"));
    EXPECT_EQ(settings.read("Gluf", "frmGluf.Width"), "6000");
    EXPECT_EQ(settings.read("monthly", "cboUser.Text"), "花子");
}

// Lines ended by a lone LF (another editor's), a stray CR and a last line without
// an ending are other lines: they stay byte for byte.
TEST_F(SettingsFileTest, WriteKeepsOtherLinesEndingsByteForByte) {
    putBytes(path, "[a]\nx=1\r\ny=2\n; note\r\r\n[b]\nz=3");
    EXPECT_TRUE(settings.write("a", "x", "9"));
    EXPECT_EQ(fileBytes(path), "[a]\nx=9\r\ny=2\n; note\r\r\n[b]\nz=3");
    EXPECT_TRUE(settings.write("b", "w", "4"));
    EXPECT_EQ(fileBytes(path), "[a]\nx=9\r\ny=2\n; note\r\r\n[b]\nz=3\r\nw=4\r\n");

    // A last line ended by a lone CR keeps its value when a section is added after it
    // (found by the settings fuzzer: "z=3\r" became "z=3\r\r\n", read back as "3\r").
    putBytes(path, "[b]\nz=3\r");
    EXPECT_TRUE(settings.write("b", "x", "1"));
    EXPECT_EQ(fileBytes(path), "[b]\nz=3\r\nx=1\r\n");
    putBytes(path, "[b]\nz=3\r");
    EXPECT_TRUE(settings.write("c", "y", "2"));
    EXPECT_EQ(fileBytes(path), "[b]\nz=3\r\n[c]\r\ny=2\r\n");
    EXPECT_EQ(settings.read("b", "z"), "3");
    EXPECT_EQ(settings.read("c", "y"), "2");
}

TEST_F(SettingsFileTest, WritesThatWouldBreakTheFileAreRefused) {
    useDataFile();
    const std::string before = fileBytes(path);
    EXPECT_FALSE(settings.write("monthly", "cboUser.Text", "a\r\n[Option]\r\ncmdAll.BackColor=0"));
    EXPECT_FALSE(settings.write("monthly", "cboUser.Text", "a\nb"));
    EXPECT_FALSE(settings.write("monthly", "a=b", "1"));
    EXPECT_FALSE(settings.write("a]b", "k", "1"));
    EXPECT_FALSE(settings.write("monthly", "cboUser.Text", "€"));  // no CP932 code
    EXPECT_EQ(fileBytes(path), before);

    // A read-only file is not written.
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_FALSE(settings.write("Option", "chkG1.Value", "1"));
    EXPECT_EQ(fileBytes(path), before);

    // A folder that does not exist: the write fails quietly.
    SettingsFile nowhere(tmp.path() / "missing" / "tmrec.ini");
    EXPECT_FALSE(nowhere.write("Option", "chkG1.Value", "1"));
}

TEST_F(SettingsFileTest, OptionSetRoundTrips) {
    OptionSet o;
    o.cmdAllBackColor = "12632256";
    o.chkG1Value = "1";
    o.lblLineCaption = "3";
    writeOptionSet(settings, o);
    EXPECT_EQ(readOptionSet(settings), o);
    EXPECT_EQ(settings.read("option", "lblline.caption"), "3");
}

TEST_F(SettingsFileTest, TwoProgramsWritingAtOnceKeepEachOthersKeys) {
    // Each rewrite reads the whole file and renames a new one over it; two
    // programs doing that unlocked lose keys the other has just written.
    constexpr int kKeys = 150;
    auto writeKeys = [&](const char* section) {
        SettingsFile own(path);
        for (int i = 0; i < kKeys; ++i) own.write(section, "k" + std::to_string(i), std::to_string(i));
    };
    pid_t child = ::fork();
    if (child == 0) {
        writeKeys("child");
        ::_exit(0);
    }
    writeKeys("parent");
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    int missing = 0;
    for (const char* section : {"child", "parent"})
        for (int i = 0; i < kKeys; ++i) missing += settings.read(section, "k" + std::to_string(i)).empty();
    EXPECT_EQ(missing, 0);
}

}  // namespace
}  // namespace tama
