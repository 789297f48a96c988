// tamalog-cli generate FOLDER [--users N] [--years FIRST-LAST] [--per-year R] [--seed S]
// Writes realistic sample data for benchmarks, window pictures and demos: users
// "利用者1", "利用者2", ... with records built by the entry form's own model (so
// every field has the form's text form) and written with the record store's
// encoder and atomic writer, one YearFile write and one Year.txt update per
// year. The same arguments always give the same bytes.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <string_view>
#include <utility>
#include <vector>

#include "command_registry.h"
#include "entry/calculations.h"
#include "entry/entry_model.h"
#include "storage/data_folders.h"
#include "storage/master_lists.h"
#include "storage/record_store.h"
#include "storage/save_batch.h"

namespace tama::cli {
namespace {

constexpr std::string_view kUsage = "generate FOLDER [--users N] [--years FIRST-LAST] [--per-year R] [--seed S]";

// splitmix64: small, fast and the same on every platform (the standard
// distributions are not), so a seed always gives the same files.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    int below(int n) { return n <= 1 ? 0 : static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    // An index drawn with the given weights.
    size_t weighted(const std::vector<int>& weights) {
        int total = 0;
        for (int w : weights) total += w;
        int pick = below(total);
        size_t i = 0;
        while (i + 1 < weights.size() && pick >= weights[i]) pick -= weights[i++];
        return i;
    }

private:
    std::uint64_t state_;
};

constexpr std::string_view kHallPool[] = {
    "駅前ホール",   "パーラー銀河", "ホール富士",     "ニュー太陽",   "パーラーさくら", "ホール大黒",
    "キング会館",   "ラッキー会館", "パーラー日の出", "ホール新世界", "ミカド会館",     "スター北口店",
    "エース南口店", "パーラー港",   "センター会館",   "ダイヤ本店",
};

struct MachinePool {
    std::string_view type;
    int weight;  // how often a visit is spent on this type
    std::vector<std::string_view> names;
};

const std::vector<MachinePool>& machinePools() {
    static const std::vector<MachinePool> pools = {
        {"ＣＲ機", 40, {"ＣＲ海の物語", "ＣＲ花火師", "ＣＲ大江戸絵巻", "ＣＲ銀河伝説", "ＣＲ桜吹雪", "ＣＲ龍神の舞"}},
        {"時短機", 10, {"時短・月下美人", "時短・風林火山", "時短・七福神"}},
        {"権利物", 8, {"権利・黄金城", "権利・大漁旗", "権利・天下一"}},
        {"一般電役", 6, {"電役・三国志", "電役・竜宮城"}},
        {"ハネモノ", 10, {"ハネ・スズメ", "ハネ・ひこうき", "ハネ・風車"}},
        {"スロット", 20, {"スロ・銀河ボーナス", "スロ・七揃い", "スロ・忍者丸", "スロ・大当たり太郎"}},
        {"その他", 6, {"アレパチ・星の王子", "雀球・満貫"}},
    };
    return pools;
}

constexpr std::string_view kComments[] = {
    "朝一から並んだ",         "確変が３連チャン",     "ハマりがきつかった", "新台入替日",
    "閉店まで粘った",         "隣の台が大当たり連発", "釘が締まっていた",   "初当たりが早かった",
    "今日は引き際が良かった", "単発ばかり",           "イベント日",         "久しぶりの大勝ち",
};

struct Options {
    fs::path folder;
    int users = 1;
    int firstYear = 2003, lastYear = 2004;
    int perYear = 200;
    std::uint64_t seed = 1;
};

template <typename T>
bool parseInt(std::string_view s, T& out) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size();
}

int usageError(const std::string& why) {
    std::cerr << why << "\n使い方: tamalog-cli " << kUsage << "\n";
    return 2;
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// Month and day of the 0-based day of a year.
std::pair<int, int> monthDayOf(int year, int dayOfYear) {
    for (int m = 1; m <= 12; ++m) {
        int len = 31;
        while (!entry::isRealDate(year, m, len)) --len;
        if (dayOfYear < len) return {m, dayOfYear + 1};
        dayOfYear -= len;
    }
    return {12, 31};
}

// How many visits fall on each day of the year: mostly one, sometimes two or
// three; more only when the wanted count does not fit in three a day.
std::vector<int> visitsPerDay(Rng& rng, int days, int records) {
    std::vector<int> counts(static_cast<size_t>(days), 0);
    if (records <= 0) return counts;
    int cap = std::max(3, (records + days - 1) / days);
    int playDays = std::clamp(records * 4 / 5, (records + cap - 1) / cap, days);
    std::vector<int> order(static_cast<size_t>(days));
    for (int i = 0; i < days; ++i) order[static_cast<size_t>(i)] = i;
    for (int i = 0; i < playDays; ++i)
        std::swap(order[static_cast<size_t>(i)], order[static_cast<size_t>(i + rng.below(days - i))]);
    for (int i = 0; i < playDays; ++i) counts[static_cast<size_t>(order[static_cast<size_t>(i)])] = 1;
    for (int extra = records - playDays; extra > 0;) {
        int day = order[static_cast<size_t>(rng.below(playDays))];
        if (counts[static_cast<size_t>(day)] < cap) {
            ++counts[static_cast<size_t>(day)];
            --extra;
        }
    }
    return counts;
}

// The visits of one day as (start, end) in half-hour slots counted from 0:00,
// within 9:00 .. 23:00 as long as they fit.
std::vector<std::pair<int, int>> dayTimes(Rng& rng, int visits) {
    constexpr int kOpen = 18, kClose = 46;  // 9:00, 23:00
    std::vector<int> lengths, gaps;
    for (int i = 0; i < visits; ++i) {
        lengths.push_back(visits == 1 ? rng.between(2, 22) : rng.between(1, 10));
        gaps.push_back(i == 0 ? rng.between(0, 6) : rng.between(0, 2));
    }
    auto used = [&] {
        int s = 0;
        for (int i = 0; i < visits; ++i) s += lengths[static_cast<size_t>(i)] + gaps[static_cast<size_t>(i)];
        return s;
    };
    for (int over = used() - (kClose - kOpen); over > 0; --over) {
        auto longest = std::max_element(lengths.begin(), lengths.end());
        auto widest = std::max_element(gaps.begin(), gaps.end());
        if (*widest > 0) --*widest;
        else if (*longest > 1) --*longest;
        else break;
    }
    std::vector<std::pair<int, int>> out;
    int t = kOpen;
    for (int i = 0; i < visits; ++i) {
        t = std::min(t + gaps[static_cast<size_t>(i)], kClose - 1);
        int end = std::min(t + lengths[static_cast<size_t>(i)], 48);
        out.emplace_back(t, end);
        t = end;
    }
    return out;
}

struct UserPlan {
    std::vector<std::string_view> halls;
    std::vector<std::pair<std::string_view, std::vector<std::string_view>>> machines;  // type, names
    std::vector<int> typeWeights;
};

UserPlan planUser(Rng& rng) {
    UserPlan plan;
    std::vector<std::string_view> halls(std::begin(kHallPool), std::end(kHallPool));
    for (size_t i = 0; i < halls.size(); ++i)
        std::swap(halls[i], halls[i + static_cast<size_t>(rng.below(static_cast<int>(halls.size() - i)))]);
    halls.resize(static_cast<size_t>(rng.between(4, 8)));
    plan.halls = halls;
    for (const auto& pool : machinePools()) {
        std::vector<std::string_view> names = pool.names;
        for (size_t i = 0; i < names.size(); ++i)
            std::swap(names[i], names[i + static_cast<size_t>(rng.below(static_cast<int>(names.size() - i)))]);
        names.resize(static_cast<size_t>(rng.between(1, static_cast<int>(names.size()))));
        plan.machines.emplace_back(pool.type, names);
        plan.typeWeights.push_back(pool.weight);
    }
    return plan;
}

std::string clock2(int slot) { return slot % 2 ? "30" : "00"; }

// Money in and out of one visit, yen: a stake that grows with the hours played,
// four visits in ten without any payout, and wins of every size; on the whole
// the player loses a little, as players do.
std::pair<int, int> money(Rng& rng, int halfHours, bool slot) {
    int perHour = slot ? rng.between(2, 8) * 1000 : rng.between(1, 6) * 1000;
    int tousi = std::clamp((perHour * halfHours / 2) / 1000 * 1000, 1000, 80000);
    if (rng.chance(40)) return {tousi, 0};
    int percent = rng.chance(75) ? rng.between(20, 160) : rng.between(160, 400);
    int kaisyu = std::clamp(tousi / 100 * percent / 100 * 100, 100, 300000);
    return {tousi, kaisyu};
}

int runGenerate(const std::vector<std::string>& args) {
    Options o;
    if (args.empty() || args[0].starts_with("--")) return usageError("フォルダーを指定して下さい。");
    o.folder = args[0];
    for (size_t i = 1; i < args.size(); i += 2) {
        const std::string& key = args[i];
        if (i + 1 >= args.size()) return usageError(key + " の値がありません。");
        const std::string& v = args[i + 1];
        bool ok = true;
        if (key == "--users") ok = parseInt(v, o.users) && o.users >= 1 && o.users <= 1000;
        else if (key == "--per-year") ok = parseInt(v, o.perYear) && o.perYear >= 0 && o.perYear <= 100000;
        else if (key == "--seed") ok = parseInt(v, o.seed);
        else if (key == "--years") {
            size_t dash = v.find('-');
            ok = dash == 4 && v.size() == 9 && parseInt(std::string_view(v).substr(0, 4), o.firstYear) &&
                 parseInt(std::string_view(v).substr(5), o.lastYear) && o.firstYear >= 1000 &&
                 o.firstYear <= o.lastYear;
        } else return usageError("不明なオプションです: " + key);
        if (!ok) return usageError(key + " の値「" + v + "」は使えません。");
    }

    std::error_code ec;
    fs::create_directories(o.folder, ec);
    if (!fs::is_directory(o.folder, ec)) {
        std::cerr << "フォルダーを作成できません: " << o.folder.string() << "\n";
        return 1;
    }
    ensureDataFolders(o.folder);
    RecordStore store(o.folder);
    MasterLists lists(o.folder);

    std::vector<std::string> users;
    for (int u = 1; u <= o.users; ++u) users.push_back("利用者" + std::to_string(u));
    // Sample data never goes over data someone may be keeping.
    for (const auto& user : users) {
        fs::path folder = store.userFolder(user);
        if (fs::exists(folder, ec) && !fs::is_empty(folder, ec)) {
            std::cerr << "利用者「" << user
                      << "」のフォルダーにはもうファイルがあります（上書きしません）: " << folder.string() << "\n";
            return 1;
        }
    }

    long written = 0;
    for (size_t u = 0; u < users.size(); ++u) {
        const std::string& user = users[u];
        fs::create_directories(store.userFolder(user));
        Rng rng(o.seed * 0x100000001B3ull + u);
        UserPlan plan = planUser(rng);
        std::vector<std::string_view> hallsUsed;
        std::vector<std::pair<std::string_view, std::string_view>> machinesUsed;
        // Favourite halls are visited more often: weights 8, 7, 6, ...
        std::vector<int> hallWeights;
        for (size_t h = 0; h < plan.halls.size(); ++h)
            hallWeights.push_back(static_cast<int>(plan.halls.size() - h) * 2);

        EntryModel model;
        for (int year = o.firstYear; year <= o.lastYear; ++year) {
            if (o.perYear == 0) break;
            const int days = isLeap(year) ? 366 : 365;
            std::vector<int> counts = visitsPerDay(rng, days, o.perYear);
            std::vector<DailyRecord> records;
            records.reserve(static_cast<size_t>(o.perYear));
            for (int d = 0; d < days; ++d) {
                int visits = counts[static_cast<size_t>(d)];
                if (visits == 0) continue;
                auto [month, day] = monthDayOf(year, d);
                auto times = dayTimes(rng, visits);
                for (int v = 0; v < visits; ++v) {
                    std::string_view hall = plan.halls[rng.weighted(hallWeights)];
                    size_t t = rng.weighted(plan.typeWeights);
                    const auto& [type, names] = plan.machines[t];
                    std::string_view machine = names[static_cast<size_t>(rng.below(static_cast<int>(names.size())))];
                    auto [start, end] = times[static_cast<size_t>(v)];
                    auto [tousi, kaisyu] = money(rng, std::max(1, end - start), type == "スロット");

                    model.loadStartValues(CalendarDate{year, month, day});
                    model.type(Box::cboHoll, rng.chance(3) ? "" : hall);
                    model.type(Box::txtZ1_1, std::to_string(start / 2));
                    model.type(Box::txtZ1_2, clock2(start));
                    model.type(Box::txtZ2_1, std::to_string(end / 2));
                    model.type(Box::txtZ2_2, clock2(end));
                    model.type(Box::txtTousi, std::to_string(tousi));
                    model.type(Box::txtKaisyu, std::to_string(kaisyu));
                    model.type(Box::cboK_no, rng.chance(5) ? "" : std::to_string(rng.between(1, 800)));
                    model.type(Box::cboK_type, type);
                    model.type(Box::cboKisyu, rng.chance(3) ? "" : machine);
                    if (rng.chance(15)) model.type(Box::txtCome, kComments[rng.below(std::size(kComments))]);
                    model.tick();
                    DailyRecord r = model.buildRecord();
                    r.DayFirst = v == 0 ? "1" : "2";
                    records.push_back(std::move(r));

                    std::string_view hallText = model.text(Box::cboHoll), machineText = model.text(Box::cboKisyu);
                    if (!hallText.empty() && std::find(hallsUsed.begin(), hallsUsed.end(), hall) == hallsUsed.end())
                        hallsUsed.push_back(hall);
                    if (!machineText.empty() && std::find(machinesUsed.begin(), machinesUsed.end(),
                                                          std::make_pair(type, machine)) == machinesUsed.end())
                        machinesUsed.emplace_back(type, machine);
                }
            }
            std::string yearText = std::to_string(year);
            fs::path path = store.yearFilePath(user, yearText);
            // A generated folder is new: its files get no backup versions.
            SaveBatch batch(o.folder, false);
            batch.replace(path, readFileBytes(path), encodeYearFile(records, path));
            store.stageYearTotal(batch, user, yearText, records);
            batch.commit();
            written += static_cast<long>(records.size());
        }
        // The lists get each name once, in the order the records first used it,
        // as saving these records one by one from the form would have left them.
        for (auto hall : hallsUsed) {
            SaveBatch batch(o.folder, false);
            lists.addToHallList(batch, user, hall);
            batch.commit();
        }
        for (auto [type, machine] : machinesUsed) {
            SaveBatch batch(o.folder, false);
            lists.addToMachineList(batch, user, type, machine);
            batch.commit();
        }
    }
    std::cout << "利用者 " << users.size() << " 人、" << o.firstYear << "-" << o.lastYear << " 年、記録 " << written
              << " 件を書きました: " << o.folder.string() << "\n";
    return 0;
}

const Register kGenerate("generate", std::string(kUsage), runGenerate);

}  // namespace
}  // namespace tama::cli
