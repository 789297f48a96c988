// tamalog-cli add / check / generate, run as the built program: <build>/bin/tamalog-cli
// beside this test's <build>/tests/.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <sys/stat.h>

#include "entry/calculations.h"
#include "entry/entry_save.h"
#include "storage/record_store.h"
#include "test_support.h"

namespace tama {
namespace {

using test::fileBytes;
using test::fileText;
using test::putBytes;
using test::sjis;
using test::TempFolder;

fs::path cliProgram() {
    fs::path self = fs::read_symlink("/proc/self/exe");
    return self.parent_path().parent_path() / "bin" / "tamalog-cli";
}

struct CliRun {
    int code = -1;
    std::string out, err;
};

CliRun runCli(const std::vector<std::string>& args) {
    static int serial = 0;
    fs::path program = cliProgram();
    if (!fs::exists(program)) {
        ADD_FAILURE() << "build tamalog-cli first: " << program;
        return {};
    }
    fs::path outFile = fs::temp_directory_path() /
                       ("tamalog-cli-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    fs::path errFile = outFile;
    outFile += ".out";
    errFile += ".err";
    std::vector<char*> argv;
    std::string prog = program.string();
    argv.push_back(prog.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        int o = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int e = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(o, 1);
        ::dup2(e, 2);
        ::execv(prog.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    CliRun r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = fileBytes(outFile);
    r.err = fileBytes(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    return r;
}

// Every file under a folder with its bytes, by relative path.
std::map<std::string, std::string> allFiles(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = fileBytes(e.path());
    return files;
}

const char* kFirstRecord =
    "\"2003/05/01\",\"2003\",\"05\",\"01\",\"木\",\"（不明）\",\"10\",\"00\",\"18\",\"00\",\"8.0\",\"15000\","
    "\"30000\",\"1,875\",\"15,000\",\"12\",\"ＣＲ機\",\"（不明）\",\"\",\"1\",\"\",\"\",\"\",\"\"\n";

TEST(CliAdd, FreshUserGetsExactlyTheFormsRecord) {
    TempFolder tmp;
    fs::path user = tmp.makeUser("USER");
    CliRun r = runCli({"add", tmp.path().string(), "USER", "txtNen=2003", "txtTuki=5", "txtHi=1", "cboK_no=12"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(fileBytes(user / "s2003.sdb"), sjis(kFirstRecord));
    EXPECT_EQ(fileBytes(user / "Year.txt"), "\"2003\",15000\r\n");
    // Nothing else: no hall or machine was given.
    EXPECT_EQ(allFiles(user).size(), 2u);
    EXPECT_TRUE(allFiles(tmp.path() / "CboData").empty());
}

TEST(CliAdd, BoxesAreTypedInOrderWithTheirChecks) {
    TempFolder tmp;
    fs::path user = tmp.makeUser("太郎");
    // Keys are typed one by one with the form's recalculation after each; an
    // emptied money box counts 0 in the saved balance and rate;
    // minute "0" becomes "00";
    // the date typed last sets the weekday whatever cboYoubi said before.
    CliRun r = runCli({"add", tmp.path().string(), "太郎", "cboYoubi=月", "txtNen=2031", "txtTuki=5", "txtHi=1",
                       "txtZ1_1=9", "txtZ1_2=0", "txtZ2_1=21", "txtZ2_2=30", "txtTousi=", "cboHoll=駅前ホール",
                       "cboK_type=スロット", "cboKisyu=スロ・七揃い", "txtCome=初めての店"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(
        fileText(user / "s2031.sdb"),
        "\"2031/05/01\",\"2031\",\"05\",\"01\",\"木\",\"駅前ホール\",\"09\",\"00\",\"21\",\"30\",\"12.5\",\"\","
        "\"30000\",\"2,400\",\"30,000\",\"?\",\"スロット\",\"スロ・七揃い\",\"初めての店\",\"1\",\"\",\"\",\"\",\"\"\n");
    EXPECT_EQ(fileText(user / "holl.dat"), "\"駅前ホール\",\"1\"\n");
    EXPECT_EQ(fileText(tmp.path() / "CboData" / "holl.dat"), "\"駅前ホール\",\"1\"\n");
    EXPECT_EQ(fileText(user / "kisyu.dat"), "\"スロット\",\"スロ・七揃い\"\n");
    EXPECT_EQ(fileText(tmp.path() / "CboData" / "Kisyu.dat"), "\"スロット\",\"スロ・七揃い\"\n");

    // A second visit on the same date.
    r = runCli({"add", tmp.path().string(), "太郎", "txtNen=2031", "txtTuki=05", "txtHi=01", "txtKaisyu=0"});
    ASSERT_EQ(r.code, 0) << r.err;
    auto list = RecordStore(tmp.path()).loadYear("太郎", "2031");
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.record(1).DayFirst == "2" ? list.record(1).Syusi : list.record(2).Syusi, "-15,000");
    EXPECT_EQ(fileText(user / "Year.txt"), "\"2031\",15000\n");
}

TEST(CliAdd, NumbersAreTakenAsTheFormTakesThemAndRefusalsSaveNothing) {
    TempFolder tmp;
    fs::path user = tmp.makeUser("太郎");
    CliRun r = runCli({"add", tmp.path().string(), "太郎", "txtNen=2031", "txtTuki=5", "txtHi=1",
                       "txtTousi=１５，０００", "txtKaisyu=30,000", "cboK_no=１２"});
    ASSERT_EQ(r.code, 0) << r.err;
    auto list = RecordStore(tmp.path()).loadYear("太郎", "2031");
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(
        list.record(1).Tousi + " " + list.record(1).Kaisyu + " " + list.record(1).Syusi + " " + list.record(1).K_no,
        "15000 30000 15,000 12");

    const std::string before = fileBytes(user / "s2031.sdb");
    for (auto [arg, box, caption] : std::vector<std::array<std::string, 3>>{{"txtTousi=12a", "txtTousi", "投資金額"},
                                                                            {"txtKaisyu=-500", "txtKaisyu", "回収金額"},
                                                                            {"cboK_no=12番", "cboK_no", "台番号"}}) {
        r = runCli({"add", tmp.path().string(), "太郎", "txtNen=2031", "txtTuki=5", "txtHi=2", arg});
        EXPECT_EQ(r.code, 2) << arg;
        EXPECT_NE(r.err.find(box + ": " + caption + "に"), std::string::npos) << r.err;
        EXPECT_EQ(fileBytes(user / "s2031.sdb"), before) << arg;
    }
}

TEST(CliAdd, MissingDataFoldersAreCreatedAsAtStartUp) {
    TempFolder tmp;
    fs::create_directories(tmp.path() / "Data" / "USER");
    CliRun r = runCli({"add", tmp.path().string(), "USER", "txtNen=2003", "txtTuki=5", "txtHi=1", "cboHoll=駅前"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(fileText(tmp.path() / "CboData" / "holl.dat"), "\"駅前\",\"1\"\n");
    EXPECT_TRUE(fs::is_directory(tmp.path() / "Kisyudat"));
}

TEST(CliAdd, RefusalsAndErrorsWriteNothing) {
    TempFolder tmp;
    fs::path user = tmp.makeUser("USER");
    std::string dir = tmp.path().string();

    CliRun r = runCli({"add", dir, "USER", "txtNen=2003", "txtTuki=5", "txtHi=1", "txtZ2_2=15"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "遊技時間の指定は、30分単位（00分又は30分）で入力して下さい。\n");

    std::string longComment(51, 'x');
    r = runCli({"add", dir, "USER", "txtCome=" + longComment});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "コメントの文字数を50文字以内にして下さい。\n");

    r = runCli({"add", dir, "USER", "txtNen=2003", "txtTuki=2", "txtHi=30"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "日付を正しく入力して下さい。（年は西暦4桁）\n");
    EXPECT_TRUE(fs::is_empty(user));

    r = runCli({"add", dir, "花子", "txtNen=2003"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("花子"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(tmp.path() / "Data" / "花子"));

    r = runCli({"add", dir, "..", "txtNen=2003"});
    EXPECT_EQ(r.code, 1);

    for (const char* bad : {"txtYear=2003", "txtSyusi=100", "txtNen", "cboK_type=パチンコ", "cboYoubi=Mon"}) {
        r = runCli({"add", dir, "USER", bad});
        EXPECT_EQ(r.code, 2) << bad;
        EXPECT_NE(r.err.find("使い方"), std::string::npos) << bad;
    }
    EXPECT_TRUE(fs::is_empty(user));
    EXPECT_TRUE(fs::is_empty(tmp.path() / "CboData"));
}

TEST(CliGenerate, DeterministicCleanAndInTheStoresFormat) {
    TempFolder a, b, c;
    std::vector<std::string> args = {"--users", "2", "--years", "2028-2031", "--per-year", "400", "--seed", "42"};
    auto gen = [&](const TempFolder& t, std::vector<std::string> extra) {
        std::vector<std::string> all = {"generate", t.path().string()};
        all.insert(all.end(), extra.begin(), extra.end());
        return runCli(all);
    };
    ASSERT_EQ(gen(a, args).code, 0);
    ASSERT_EQ(gen(b, args).code, 0);
    auto filesA = allFiles(a.path());
    EXPECT_EQ(filesA, allFiles(b.path()));
    args.back() = "43";
    ASSERT_EQ(gen(c, args).code, 0);
    EXPECT_NE(filesA, allFiles(c.path()));

    for (const char* d : {"CboData", "Data", "Backup", "Temp", "Kisyudat#", "Kisyudat"})
        EXPECT_TRUE(fs::is_directory(a.path() / d)) << d;

    RecordStore store(a.path());
    EXPECT_EQ(store.userNames(), (std::vector<std::string>{"利用者1", "利用者2"}));
    for (const auto& user : store.userNames()) {
        auto totals = store.loadYearTotals(user);
        ASSERT_EQ(totals.size(), 4u);
        for (int y = 2028; y <= 2031; ++y) {
            auto list = store.loadYear(user, std::to_string(y));
            ASSERT_EQ(list.count(), 400);
            std::string lastDate;
            int visitsThatDay = 0;
            for (const auto& r : list.records) {
                visitsThatDay = r.DateKey == lastDate ? visitsThatDay + 1 : 1;
                lastDate = r.DateKey;
                EXPECT_EQ(r.DayFirst, visitsThatDay == 1 ? "1" : "2") << r.DateKey;
                EXPECT_LE(visitsThatDay, 3);
                EXPECT_TRUE(r.Z1_2 == "00" || r.Z1_2 == "30");
                // Weekdays of years from 2030 on are their own, like every other year's.
                int wd = entry::weekdayOf(std::stoi(r.Nen), std::stoi(r.Tuki), std::stoi(r.Hi));
                EXPECT_EQ(r.Youbi, kWeekdayNames[static_cast<size_t>(wd)]) << r.DateKey;
            }
        }
    }
    CliRun check = runCli({"check", a.path().string()});
    EXPECT_EQ(check.code, 0) << check.out;
    EXPECT_EQ(check.out.rfind("OK", 0), 0u) << check.out;

    // A dense year (more visits than three a day allow) is still clean.
    TempFolder dense;
    ASSERT_EQ(gen(dense, {"--years", "2004-2004", "--per-year", "2000"}).code, 0);
    EXPECT_EQ(RecordStore(dense.path()).loadYear("利用者1", "2004").count(), 2000);
    EXPECT_EQ(runCli({"check", dense.path().string()}).code, 0);

    // Existing data is never overwritten.
    std::string before = fileBytes(a.path() / "Data" / "利用者1" / "s2028.sdb");
    CliRun again = gen(a, args);
    EXPECT_EQ(again.code, 1);
    EXPECT_EQ(fileBytes(a.path() / "Data" / "利用者1" / "s2028.sdb"), before);
    EXPECT_EQ(gen(a, {"--years", "2031-2028"}).code, 2);
}

TEST(CliCheck, FindsPlantedFaultsWithFileAndLine) {
    TempFolder tmp;
    fs::path user = tmp.makeUser("USER");
    std::string dir = tmp.path().string();
    ASSERT_EQ(runCli({"add", dir, "USER", "txtNen=2003", "txtTuki=5", "txtHi=1", "cboK_no=12"}).code, 0);
    ASSERT_EQ(
        runCli({"add", dir, "USER", "txtNen=2003", "txtTuki=6", "txtHi=1", "txtKaisyu=10000", "cboHoll=駅前"}).code, 0);
    CliRun clean = runCli({"check", dir});
    ASSERT_EQ(clean.code, 0) << clean.out;

    std::string may = sjis(kFirstRecord);
    std::string june = fileBytes(user / "s2003.sdb").substr(may.size());
    // Line 1 June before line 2 May: out of order. Line 3: 23 fields. Line 4: a byte
    // that is no CP932. Line 5: ended by a lone LF.
    std::string tooShort = sjis("\"2003/07/01\",\"2003\"\n");
    putBytes(user / "s2003.sdb", june + may + tooShort + "\"\x81\x20\"\r\n" + may.substr(0, may.size() - 2) + "\n");
    // A 2004 file that holds a 2003 record.
    putBytes(user / "s2004.sdb", may);
    // 2003's total is wrong (the file is damaged: no comparison), 2004 has no line,
    // 2002 has no file but a total, and the years are out of order.
    putBytes(user / "Year.txt", sjis("\"2003\",1\n\"2002\",500\n\"2005\",0\n"));
    putBytes(user / "holl.dat", sjis("\"駅前\",\"1\"\n\"駅前\",\"1\"\n\"裏\"\n"));
    putBytes(user / "kisyu.dat", sjis("\"パチンコ\",\"機種Ａ\"\n"));
    putBytes(tmp.path() / "CboData" / "Kisyu.dat", "\"\x82\",\"x\"\r\n");

    CliRun r = runCli({"check", dir});
    EXPECT_EQ(r.code, 1);
    for (const char* expected : {
             "Data/USER/s2003.sdb:2: 日付の順に並んでいません",
             "Data/USER/s2003.sdb:3: 項目が24個ではありません",
             "Data/USER/s2003.sdb:4: Shift-JIS として読めない文字があります",
             "Data/USER/s2003.sdb:5: 行末が CR LF ではありません",
             "Data/USER/s2004.sdb:1: 年 2003 の記録です（ファイルは 2004 年）",
             "Data/USER/Year.txt:2: 年の順に並んでいません",
             "Data/USER/Year.txt:2: 2002 年の合計 500 が 0 と違います（s2002.sdb がありません）",
             "Data/USER/Year.txt: 2004 年の合計の行がありません（s2004.sdb の合計は 15000）",
             "Data/USER/holl.dat:2: ホール名「駅前」が 1 行目にもあります",
             "Data/USER/holl.dat:3: 「\"ホール名\",\"1\"」の形ではありません",
             "Data/USER/kisyu.dat:1: 機種タイプ「パチンコ」は7種類のどれでもありません",
             "CboData/Kisyu.dat:1: Shift-JIS として読めない文字があります",
         })
        EXPECT_NE(r.out.find(expected), std::string::npos) << "missing: " << expected << "\n" << r.out;
    // The damaged 2003 file gives no total to compare with.
    EXPECT_EQ(r.out.find("2003 年の合計"), std::string::npos) << r.out;

    // A wrong total of a sound file is found too.
    putBytes(user / "s2003.sdb", may);
    putBytes(user / "s2004.sdb", "");
    putBytes(user / "Year.txt", sjis("\"2003\",14999\n\"2004\",0\n"));
    putBytes(user / "holl.dat", sjis("\"駅前\",\"1\"\n"));
    putBytes(user / "kisyu.dat", "");
    putBytes(tmp.path() / "CboData" / "Kisyu.dat", "");
    r = runCli({"check", dir});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out,
              "Data/USER/Year.txt:1: 2003 年の合計 14999 が 15000 と違います（s2003.sdb の収支の合計）\n"
              "問題 1 件（利用者 1 人、年ファイル 2 個、記録 1 件）\n");

    EXPECT_EQ(runCli({"check", (tmp.path() / "nowhere").string()}).code, 1);
}

TEST(CliExport, BadArgumentsExitTwoAndAnUnwritableFileExitsOneLeavingNothing) {
    TempFolder tmp;
    const std::string dir = tmp.path().string();
    tmp.makeUser("USER");
    const std::string out = (tmp.path() / "m.xlsx").string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"export", "month", dir, "USER", "2003", "13", "--out", out},
             {"export", "month", dir, "USER", "20x3", "5", "--out", out},
             {"export", "month", dir, "USER", "2003", "5"},
             {"export", "month", dir, "..", "2003", "5", "--out", out},
             {"export", "analysis", dir, "USER", "--table", "7", "--out", out},
             {"export", "analysis", dir, "USER", "--colour", "red", "--out", out},
             {"export", "week", dir, "USER"},
         }) {
        CliRun r = runCli(args);
        EXPECT_EQ(r.code, 2) << args[1] << " " << args[5];
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_FALSE(fs::exists(out));

    // A file in a folder that does not exist: a message, exit 1, no file anywhere.
    const fs::path missing = tmp.path() / "no" / "m.xlsx";
    CliRun r = runCli({"export", "month", dir, "USER", "2003", "5", "--out", missing.string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.empty());
    EXPECT_FALSE(fs::exists(missing.parent_path()));
    r = runCli({"export", "analysis", dir, "USER", "--all-period", "--out", missing.string()});
    EXPECT_EQ(r.code, 1);

    // Written: the work file and the workbook.
    r = runCli({"export", "month", dir, "USER", "2003", "5", "--out", out});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(fs::exists(out));
    EXPECT_TRUE(fs::exists(tmp.path() / "Temp" / "work.csv"));

    // A FIFO as the target: refused, exit 1; the FIFO stays and work.csv is not rewritten.
    const fs::path fifo = tmp.path() / "pipe.xlsx";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    test::putBytes(tmp.path() / "Temp" / "work.csv", "old");
    for (const char* kind : {"month", "analysis"}) {
        r = std::string(kind) == "month"
                ? runCli({"export", "month", dir, "USER", "2003", "5", "--out", fifo.string()})
                : runCli({"export", "analysis", dir, "USER", "--all-period", "--out", fifo.string()});
        EXPECT_EQ(r.code, 1) << kind;
        EXPECT_NE(r.err.find("通常のファイルではありません"), std::string::npos) << r.err;
        EXPECT_TRUE(fs::is_fifo(fifo));
        EXPECT_EQ(test::fileBytes(tmp.path() / "Temp" / "work.csv"), "old");
    }
}

// Two scripts adding to one user at the same time: every add that reported
// success is on file once, none is lost, and check finds nothing wrong.
TEST(CliAdd, TwoWritersAtOnceLoseNothing) {
    TempFolder tmp;
    tmp.makeUser("USER");
    std::string dir = tmp.path().string();
    auto writer = [&](int which) {
        pid_t pid = ::fork();
        if (pid != 0) return pid;
        int failures = 0;
        for (int i = 1; i <= 40; ++i) {
            // Writer 1 on odd days of January, writer 2 in March; the comment tells them apart.
            CliRun r = runCli({"add", dir, "USER", "txtNen=2003", "txtTuki=" + std::to_string(which * 2 - 1),
                               "txtHi=" + std::to_string(i % 28 + 1), "cboHoll=店" + std::to_string(i % 3),
                               "txtCome=w" + std::to_string(which) + "-" + std::to_string(i)});
            failures += r.code != 0;
        }
        ::_exit(failures);
    };
    pid_t a = writer(1), b = writer(2);
    int statusA = 0, statusB = 0;
    ::waitpid(a, &statusA, 0);
    ::waitpid(b, &statusB, 0);
    EXPECT_EQ(WEXITSTATUS(statusA), 0);
    EXPECT_EQ(WEXITSTATUS(statusB), 0);
    auto list = RecordStore(tmp.path()).loadYear("USER", "2003");
    std::set<std::string> comments;
    for (const auto& r : list.records) comments.insert(r.Come);
    EXPECT_EQ(list.count(), 80);
    EXPECT_EQ(comments.size(), 80u);
    CliRun check = runCli({"check", dir});
    EXPECT_EQ(check.code, 0) << check.out;
}

// Files that are not what they seem: check names each one instead of hanging or
// passing, and add refuses them with a clear error.
TEST(CliCheck, NamesFoldersFifosLeftoversAndNulBytes) {
    TempFolder tmp;
    fs::path user = tmp.makeUser("USER");
    tmp.makeUser("user");
    std::string dir = tmp.path().string();
    fs::create_directory(user / "s2003.sdb");
    ASSERT_EQ(::mkfifo((user / "holl.dat").c_str(), 0644), 0);
    fs::remove_all(tmp.path() / "CboData");
    putBytes(tmp.path() / "CboData", "not a folder");
    putBytes(user / "Year.txt.tmp~a1b2c3", "half written");
    putBytes(user / "s2004.sdb", std::string(kFirstRecord).replace(120, 1, std::string(1, '\0')));
    // Totals far beyond 64 bits: reported, never converted out of range.
    std::string huge = sjis(kFirstRecord);
    huge.replace(huge.find("15,000"), 6, "9" + std::string(30, '0'));
    putBytes(user / "s2005.sdb", huge);
    putBytes(user / "Year.txt", "\"2005\"," + std::string(40, '9') + "\r\n");

    CliRun r = runCli({"check", dir});
    EXPECT_EQ(r.code, 1);
    for (const char* expected : {
             "Data/USER/Year.txt.tmp~a1b2c3: 書き込みの途中で残った一時ファイルです",
             "CboData: フォルダーではありません",
             "Data/user: 大文字と小文字だけが違う利用者フォルダー USER があります",
             "Data/USER/s2003.sdb: 通常のファイルではありません",
             "Data/USER/holl.dat: 通常のファイルではありません",
             "Data/USER/s2004.sdb:1: NUL 文字があります",
             "Data/USER/s2005.sdb: 収支の合計が大きすぎます",
         })
        EXPECT_NE(r.out.find(expected), std::string::npos) << "missing: " << expected << "\n" << r.out;

    fs::remove(user / "s2003.sdb");
    ASSERT_EQ(::mkfifo((user / "s2003.sdb").c_str(), 0644), 0);
    CliRun add = runCli({"add", dir, "USER", "txtNen=2003", "txtTuki=5", "txtHi=1"});
    EXPECT_EQ(add.code, 1);
    EXPECT_NE(add.err.find("s2003.sdb: 通常のファイルではありません"), std::string::npos) << add.err;
}

// Links name themselves, a killed save's journal is reported, odd folder names
// stay on one line, and a YearFile that is no regular file fails the readers.
TEST(CliCheck, NamesLinksAPendingJournalAndEscapesNames) {
    TempFolder tmp;
    TempFolder elsewhere;
    fs::path user = tmp.makeUser("USER");
    std::string dir = tmp.path().string();
    ASSERT_EQ(runCli({"add", dir, "USER", "txtNen=2003", "txtTuki=5", "txtHi=1"}).code, 0);
    EXPECT_EQ(runCli({"check", dir}).code, 0);

    fs::create_directories(elsewhere.path() / "t");
    fs::remove_all(tmp.path() / "Temp");
    fs::create_directory_symlink(elsewhere.path() / "t", tmp.path() / "Temp");
    fs::create_directory_symlink(user, tmp.path() / "Data" / "LINKED");
    fs::create_directory(tmp.path() / "Data" / "a\nb");
    fs::create_directory(tmp.path() / "Data" / "\xff\xfe");
    putBytes(tmp.path() / std::string(kSaveJournalName), "TAMALOG SAVE JOURNAL 1\nEND\n");
    ASSERT_EQ(::mkfifo((tmp.path() / "tmrec.ini").c_str(), 0644), 0);
    CliRun r = runCli({"check", dir});
    EXPECT_EQ(r.code, 1);
    for (const char* expected : {
             "Temp: フォルダーではなくリンクです",
             "Data/LINKED: フォルダーではなくリンクです",
             "tamalog-save.journal: 途中で止まった保存があります",
             "Data/a\\nb: 利用者名として使えない名前です",
             "Data/\\xFF\\xFE: 利用者名として使えない名前です",
             "tmrec.ini: 通常のファイルではありません（設定は既定値になります）",
         })
        EXPECT_NE(r.out.find(expected), std::string::npos) << "missing: " << expected << "\n" << r.out;
    // Every line is one problem or the summary.
    size_t lines = std::count(r.out.begin(), r.out.end(), '\n');
    EXPECT_EQ(lines, 7u) << r.out;

    // The next writer takes the journal up (an empty one: nothing to finish).
    ASSERT_EQ(runCli({"add", dir, "USER", "txtNen=2003", "txtTuki=5", "txtHi=2"}).code, 0);
    EXPECT_FALSE(fs::exists(tmp.path() / std::string(kSaveJournalName)));

    fs::remove(user / "s2003.sdb");
    ASSERT_EQ(::mkfifo((user / "s2003.sdb").c_str(), 0644), 0);
    CliRun analysis = runCli({"analysis", dir, "USER"});
    EXPECT_EQ(analysis.code, 1);
    EXPECT_NE(analysis.err.find("s2003.sdb"), std::string::npos) << analysis.err;
    CliRun exported = runCli({"export", "analysis", dir, "USER", "--out", (elsewhere.path() / "a.xlsx").string()});
    EXPECT_EQ(exported.code, 1);
    EXPECT_NE(exported.err.find("s2003.sdb"), std::string::npos) << exported.err;
}

TEST(CliRestore, ListsVersionsAndBringsADeletedRecordBack) {
    TempFolder tmp;
    fs::path user = tmp.makeUser("USER");
    std::string dir = tmp.path().string();
    ASSERT_EQ(runCli({"add", dir, "USER", "txtNen=2003", "txtTuki=5", "txtHi=1"}).code, 0);
    ASSERT_EQ(runCli({"add", dir, "USER", "txtNen=2003", "txtTuki=5", "txtHi=2"}).code, 0);
    const std::string two = fileBytes(user / "s2003.sdb");
    RecordStore store(tmp.path());
    YearRecordList list = store.loadYear("USER", "2003");
    deleteRecord(store, list, 2);

    CliRun listing = runCli({"restore", dir, "USER"});
    ASSERT_EQ(listing.code, 0) << listing.err;
    // The two-record YearFile replaced by the delete.
    size_t at = listing.out.find("\ts2003.sdb\t2 行");
    ASSERT_NE(at, std::string::npos) << listing.out;
    size_t lineStart = listing.out.rfind('\n', at);
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    std::string id = listing.out.substr(lineStart, listing.out.find('\t', lineStart) - lineStart);

    CliRun r = runCli({"restore", dir, "USER", id});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(fileBytes(user / "s2003.sdb"), two);
    EXPECT_EQ(fileBytes(user / "Year.txt"), "\"2003\",30000\r\n");
    EXPECT_EQ(runCli({"check", dir}).code, 0);
    EXPECT_EQ(runCli({"restore", dir, "USER", "s2003.sdb.19990101-000000-000"}).code, 1);
}

}  // namespace
}  // namespace tama

namespace tama {
namespace {

TEST(CliCalendar, PrintsTheGridAndRefusesBadArgumentsAndDamagedYears) {
    TempFolder tmp;
    const fs::path taro = tmp.makeUser("太郎");
    RecordStore store(tmp.path());
    for (auto [date, syusi] : {std::pair{"2026/11/03", "-1,600"}, std::pair{"2026/11/10", "100,000"},
                               std::pair{"2026/11/10", "-1,400"}, std::pair{"2026/11/29", "0"}}) {
        DailyRecord r = test::recordOn(date);
        r.Syusi = syusi;
        test::saveRecord(store, "太郎", r);
    }
    CliRun r = runCli({"calendar", tmp.path().string(), "太郎", "2026", "11"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "2026年11月\n日\t月\t火\t水\t木\t金\t土\n"
              "1\t2\t3:-1,600\t4\t5\t6\t7\n8\t9\t10:98,600\t11\t12\t13\t14\n15\t16\t17\t18\t19\t20\t21\n"
              "22\t23\t24\t25\t26\t27\t28\n29:0\t30\t\t\t\t\t\n");

    // Bad arguments: exit 2 and one line.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"calendar", tmp.path().string(), "太郎", "2026"},
          {"calendar", tmp.path().string(), "太郎", "2026", "13"},
          {"calendar", tmp.path().string(), "太郎", "26", "11"},
          {"calendar", tmp.path().string(), "../x", "2026", "11"}}) {
        r = runCli(args);
        EXPECT_EQ(r.code, 2) << args[3];
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    // A year that cannot be read is named, never shown as an empty month.
    putBytes(taro / "s2025.sdb", "\"2025/11/01\",\"2025\"\r\n");
    r = runCli({"calendar", tmp.path().string(), "太郎", "2025", "11"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("s2025.sdb"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tama
