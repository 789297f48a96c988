#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "shared/text_codec.h"
#include "storage/record_store.h"
#include "storage/save_batch.h"

namespace tama::test {

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    path_ = fs::temp_directory_path() /
            ("tamalog-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

fs::path TempFolder::makeUser(std::string_view user) const {
    for (const char* d : {"CboData", "Data", "Backup", "Temp", "Kisyudat#", "Kisyudat"})
        fs::create_directories(path_ / d);
    fs::path folder = path_ / "Data" / std::string(user);
    fs::create_directories(folder);
    return folder;
}

DailyRecord saveRecord(RecordStore& store, std::string_view user, DailyRecord record) {
    SaveBatch batch(store.programFolder());
    commitAllOrNothing(batch, [&] {
        const std::vector<DailyRecord> records = store.stageInsert(batch, user, record);
        store.stageYearTotal(batch, user, record.Nen, records);
    });
    return record;
}

std::int64_t saveYearTotal(RecordStore& store, std::string_view user, std::string_view year) {
    SaveBatch batch(store.programFolder());
    std::int64_t total = 0;
    commitAllOrNothing(
        batch, [&] { total = store.stageYearTotal(batch, user, year, store.readYearContent(user, year).records); });
    return total;
}

std::string sjis(std::string_view utf8Text) {
    std::string crlf;
    for (char c : utf8Text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    auto bytes = utf8ToCp932(crlf);
    EXPECT_TRUE(bytes.has_value()) << "not encodable: " << utf8Text;
    return bytes.value_or("");
}

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void putBytes(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string fileText(const fs::path& path) {
    auto text = cp932ToUtf8(fileBytes(path));
    EXPECT_TRUE(text.has_value()) << "not CP932: " << path;
    std::string out;
    for (char c : text.value_or(""))
        if (c != '\r') out += c;
    return out;
}

DailyRecord recordOn(std::string_view date) {
    DailyRecord r;
    r.DateKey = date;
    r.Nen = date.substr(0, 4);
    r.Tuki = date.substr(5, 2);
    r.Hi = date.substr(8, 2);
    r.Youbi = "木";
    r.Holl = "駅前ホール";
    r.Z1_1 = "10";
    r.Z1_2 = "00";
    r.Z2_1 = "18";
    r.Z2_2 = "00";
    r.T_tim = "8.0";
    r.Tousi = "15000";
    r.Kaisyu = "30000";
    r.Zikyu = "1,875";
    r.Syusi = "15,000";
    r.K_no = "12";
    r.K_type = "ＣＲ機";
    r.Kisyu = "（不明）";
    r.DayFirst = "1";
    return r;
}

fs::path dataFile(std::string_view name) { return fs::path(TAMA_TEST_DATA) / std::string(name); }

const WorkbookDump::Cell& WorkbookDump::cell(const std::string& address) const {
    static const Cell kNone{"none", "", {}};
    auto it = cells.find(address);
    return it == cells.end() ? kNone : it->second;
}

WorkbookDump dumpWorkbook(const fs::path& path) {
    WorkbookDump d;
    const std::string command = std::string(TAMA_PYTHON3) + " " + TAMA_XLSX_DUMP + " '" + path.string() + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return d;
    }
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) d.raw.append(buf, n);
    if (::pclose(pipe) != 0) {
        ADD_FAILURE() << "reading " << path << " failed:\n" << d.raw;
        return d;
    }
    std::istringstream in(d.raw);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        size_t start = 0;
        for (;;) {
            size_t tab = line.find('\t', start);
            f.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        if (f[0] == "sheet" && f.size() == 2) d.sheet = f[1];
        else if (f[0] == "cell" && f.size() >= 4) {
            WorkbookDump::Cell c{f[2], f[3], {}};
            for (size_t k = 4; k < f.size(); ++k) {
                size_t eq = f[k].find('=');
                if (eq != std::string::npos) c.look[f[k].substr(0, eq)] = f[k].substr(eq + 1);
            }
            d.cells[f[1]] = c;
        } else if (f[0] == "merge" && f.size() == 2) d.merges.push_back(f[1]);
        else if (f[0] == "width" && f.size() == 3) d.widths[f[1]] = f[2];
        else if (f[0] == "page" && f.size() == 3) d.page[f[1]] = f[2];
        else if (f[0] == "margin" && f.size() == 3) d.margins[f[1]] = f[2];
        else if (f[0] == "header" && f.size() >= 2) d.header = line.substr(7);
    }
    return d;
}

}  // namespace tama::test
