#include "save_batch.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <stdexcept>

#include "data_folders.h"
#include "master_lists.h"
#include "record_store.h"
#include "settings_file.h"
#include "shared/number_format.h"

namespace tama {

namespace {

// A backup's name is the file's name, a dot and the time it was replaced:
// "s2003.sdb.20261208-214917-123" (milliseconds last). Names of one file sort
// oldest first.
constexpr size_t kStampLength = 19;  // YYYYMMDD-HHMMSS-mmm

std::string stampNow(std::chrono::system_clock::time_point now) {
    std::time_t secs = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&secs, &local);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d-%02d%02d%02d-%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms));
    return buf;
}

bool isStamp(std::string_view s) {
    if (s.size() != kStampLength) return false;
    for (size_t i = 0; i < s.size(); ++i) {
        bool dash = i == 8 || i == 15;
        if (dash ? s[i] != '-' : (s[i] < '0' || s[i] > '9')) return false;
    }
    return true;
}

// (file name, stamp) of a backup name, or nothing for another name.
std::optional<std::pair<std::string, std::string>> splitBackupName(std::string_view name) {
    if (name.size() < kStampLength + 2 || name[name.size() - kStampLength - 1] != '.') return std::nullopt;
    std::string_view stamp = name.substr(name.size() - kStampLength);
    if (!isStamp(stamp)) return std::nullopt;
    return std::pair{std::string(name.substr(0, name.size() - kStampLength - 1)), std::string(stamp)};
}

std::string readableStamp(std::string_view s) {
    return std::string(s.substr(0, 4)) + "/" + std::string(s.substr(4, 2)) + "/" + std::string(s.substr(6, 2)) + " " +
           std::string(s.substr(9, 2)) + ":" + std::string(s.substr(11, 2)) + ":" + std::string(s.substr(13, 2));
}

// The names in a backup folder.
std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    return names;
}

// The backup names of one file among a folder's names, oldest first.
std::vector<std::string> versionsOf(const std::vector<std::string>& names, std::string_view file) {
    std::vector<std::string> versions;
    for (const std::string& name : names)
        if (auto split = splitBackupName(name); split && split->first == file) versions.push_back(name);
    std::sort(versions.begin(), versions.end());
    return versions;
}

// The stamp of a save's backups: the time now, or just after the newest stamp
// among a backup folder's names when that is not older (two saves within one
// millisecond, a clock set back). Every file of one save shares it, so the
// versions of different saves never interleave and one save's files list
// together. The caller holds the write lock, so no other writer makes a name
// meanwhile.
std::string stampAfter(const std::vector<std::string>& names) {
    std::string newest;
    for (const std::string& name : names)
        if (auto split = splitBackupName(name); split && split->second > newest) newest = split->second;
    auto now = std::chrono::system_clock::now();
    std::string stamp = stampNow(now);
    for (int i = 0; stamp <= newest && i < 100000; ++i) stamp = stampNow(now += std::chrono::milliseconds(1));
    return stamp;
}

}  // namespace

fs::path backupFolder(const fs::path& programFolder, std::string_view user) {
    std::string problem = userNameProblem(user);
    if (!problem.empty()) throw std::invalid_argument(problem);
    return findNoCase(findNoCase(programFolder, "Backup"), user);
}

int backupKeepCount(const fs::path& programFolder) {
    std::string text = SettingsFile(settingsFilePath(programFolder)).read("Backup", "Keep");
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        return kDefaultBackupKeep;
    int n = std::stoi(text);
    return n <= 1000 ? n : kDefaultBackupKeep;
}

SaveBatch::SaveBatch(const fs::path& programFolder, bool keepBackups)
    : programFolder_(programFolder), lock_(programFolder), keep_(keepBackups ? -1 : 0) {}

void SaveBatch::replace(const fs::path& target, const std::optional<std::string>& current, std::string_view bytes,
                        std::string_view user) {
    if (current && *current == bytes) return;
    if (!user.empty() && current) {
        if (keep_ < 0) keep_ = backupKeepCount(programFolder_);
        if (keep_ > 0) {
            fs::path folder = backupFolder(programFolder_, user);
            std::error_code ec;
            fs::create_directories(folder, ec);
            if (ec) throw FileError(folder, 0, "バックアップ用のフォルダーを作成できません: " + ec.message());
            const std::string file = target.filename().string();
            // Each backup folder is listed once a save: for the stamp here and
            // for the pruning after the renames.
            auto [listed, isNew] = listings_.try_emplace(folder);
            if (isNew) listed->second = namesIn(folder);
            if (stamp_.empty()) stamp_ = stampAfter(listed->second);
            const std::string copy = file + "." + stamp_;
            batch_.keepCopy(target, *current, folder / copy);
            listed->second.push_back(copy);
            backedUp_.emplace_back(folder, file);
        }
    }
    batch_.stage(target, bytes);
}

void SaveBatch::commit() {
    batch_.commit();
    for (const auto& [folder, file] : backedUp_) {
        auto names = versionsOf(listings_[folder], file);
        for (size_t i = 0; i + static_cast<size_t>(std::max(keep_, 0)) < names.size(); ++i) {
            std::error_code ec;
            fs::remove(folder / names[i], ec);
        }
    }
    backedUp_.clear();
    listings_.clear();
}

std::vector<BackupVersion> listBackups(const fs::path& programFolder, std::string_view user) {
    std::vector<BackupVersion> out;
    fs::path folder = backupFolder(programFolder, user);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        auto split = splitBackupName(name);
        std::error_code ec2;
        if (!split || !it->is_regular_file(ec2) || it->is_symlink(ec2)) continue;
        BackupVersion v;
        v.id = name;
        v.file = split->first;
        v.stamp = readableStamp(split->second);
        v.path = it->path();
        try {
            auto bytes = readFileBytes(v.path).value_or(std::string());
            forEachLine(bytes, [&](int, std::string_view line) {
                if (line.find_first_not_of(" \t") != std::string_view::npos) ++v.lines;
            });
        } catch (const FileError&) {
            v.lines = -1;
        }
        out.push_back(std::move(v));
    }
    // Newest first; the stamp is the tail of the id.
    std::sort(out.begin(), out.end(), [](const BackupVersion& a, const BackupVersion& b) {
        auto ta = a.id.substr(a.id.size() - kStampLength), tb = b.id.substr(b.id.size() - kStampLength);
        return ta != tb ? ta > tb : a.file < b.file;
    });
    return out;
}

void restoreBackup(const fs::path& programFolder, std::string_view user, std::string_view id) {
    SaveBatch batch(programFolder);
    BackupVersion version;
    bool found = false;
    for (auto& v : listBackups(programFolder, user))
        if (v.id == id) {
            version = std::move(v);
            found = true;
        }
    if (!found) throw std::invalid_argument("バックアップ「" + std::string(id) + "」はありません。");
    const std::string bytes = readFileBytes(version.path).value_or(std::string());

    RecordStore store(programFolder);
    const fs::path userFolder = store.UserFolder(user);
    std::error_code ec;
    if (!fs::is_directory(userFolder, ec)) throw FileError(userFolder, 0, "利用者のフォルダーがありません");
    const fs::path target = findNoCase(userFolder, version.file);
    const auto current = readFileBytes(target);

    // A version is put back only when it reads as what its file should hold.
    const std::string& f = version.file;
    const bool yearFile = f.size() > 5 && (f[0] == 's' || f[0] == 'S') && equalsNoCase(f.substr(f.size() - 4), ".sdb");
    if (yearFile) {
        auto records = decodeYearFile(bytes, version.path);
        batch.replace(target, current, bytes, user);
        store.stageYearTotal(batch, user, f.substr(1, f.size() - 5), records);
    } else {
        if (equalsNoCase(f, "holl.dat") || equalsNoCase(f, "kisyu.dat")) readPairFile(version.path);
        batch.replace(target, current, bytes, user);
    }
    batch.commit();
}

}  // namespace tama
