#include "save_batch.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <stdexcept>
#include <unistd.h>

#include "data_folders.h"
#include "master_lists.h"
#include "record_store.h"
#include "settings_file.h"
#include "shared/number_format.h"

namespace tama {

namespace {

// A backup's name is the file's name, the time it was replaced and the
// sequence number of the save: "s2003.sdb.20261208-214917-123.000042"
// (milliseconds after the seconds). The sequence, one more than the greatest in
// the folder, orders the versions; the time is only shown, so a clock set back
// cannot make a new version look older than the kept ones. Names of the older
// form "s2003.sdb.20261208-214917-123" count as sequence 0.
constexpr size_t kStampLength = 19;  // YYYYMMDD-HHMMSS-mmm

std::string stampNow() {
    auto now = std::chrono::system_clock::now();
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

struct BackupName {
    std::string file;
    std::string stamp;
    std::uint64_t sequence = 0;
};

// The parts of a backup name, or nothing for another name.
std::optional<BackupName> splitBackupName(std::string_view name) {
    BackupName out;
    if (size_t dot = name.rfind('.'); dot != std::string_view::npos) {
        std::string_view seq = name.substr(dot + 1);
        if (!seq.empty() && seq.size() <= 18 && seq.find_first_not_of("0123456789") == std::string_view::npos) {
            out.sequence = std::stoull(std::string(seq));
            name = name.substr(0, dot);
        }
    }
    if (name.size() < kStampLength + 2 || name[name.size() - kStampLength - 1] != '.') return std::nullopt;
    std::string_view stamp = name.substr(name.size() - kStampLength);
    if (!isStamp(stamp)) return std::nullopt;
    out.file = std::string(name.substr(0, name.size() - kStampLength - 1));
    out.stamp = std::string(stamp);
    return out;
}

// Older first: by sequence, then by time, then by name.
bool olderThan(const BackupName& a, std::string_view aName, const BackupName& b, std::string_view bName) {
    if (a.sequence != b.sequence) return a.sequence < b.sequence;
    if (a.stamp != b.stamp) return a.stamp < b.stamp;
    return aName < bName;
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
    std::vector<std::pair<BackupName, std::string>> found;
    for (const std::string& name : names)
        if (auto split = splitBackupName(name); split && split->file == file) found.emplace_back(*split, name);
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return olderThan(a.first, a.second, b.first, b.second); });
    std::vector<std::string> versions;
    for (auto& f : found) versions.push_back(std::move(f.second));
    return versions;
}

// One more than the greatest sequence number among a backup folder's names.
std::uint64_t nextSequence(const std::vector<std::string>& names) {
    std::uint64_t greatest = 0;
    for (const std::string& name : names)
        if (auto split = splitBackupName(name)) greatest = std::max(greatest, split->sequence);
    return greatest + 1;
}

std::string sequenceText(std::uint64_t n) {
    std::string digits = std::to_string(n);
    return std::string(digits.size() < 6 ? 6 - digits.size() : 0, '0') + digits;
}

bool isYearTotalFile(std::string_view file) { return equalsNoCase(file, "Year.txt"); }

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

SaveBatch::~SaveBatch() {
    // The staged files go first, so that a backup folder this save made is empty
    // again and can go too: a refused save leaves no trace.
    batch_.discard();
    for (const auto& [folder, listing] : listings_)
        if (listing.created) ::rmdir(folder.c_str());
}

void SaveBatch::replace(const fs::path& target, const std::optional<std::string>& current, std::string_view bytes,
                        std::string_view user) {
    if (current && *current == bytes) return;
    refuseLinkedFolders(programFolder_, target.parent_path());
    if (!user.empty() && current) {
        if (keep_ < 0) keep_ = backupKeepCount(programFolder_);
        if (keep_ > 0) {
            fs::path folder = backupFolder(programFolder_, user);
            refuseLinkedFolders(programFolder_, folder);
            const std::string file = target.filename().string();
            auto [listed, isNew] = listings_.try_emplace(folder);
            Listing& listing = listed->second;
            if (isNew) {
                std::error_code ec;
                const bool existed = fs::is_directory(folder, ec);
                fs::create_directories(folder, ec);
                if (ec) {
                    listings_.erase(listed);
                    throw FileError(folder, 0, "バックアップ用のフォルダーを作成できません: " + ec.message());
                }
                listing.created = !existed;
                // Each backup folder is listed once a save: for the sequence
                // number here and for the pruning after the renames.
                listing.names = namesIn(folder);
                listing.sequence = nextSequence(listing.names);
            }
            // A version that holds the present content already (a save killed
            // after its backups were made) is not made again: two equal versions
            // in a row would only use up the kept slots.
            const auto versions = versionsOf(listing.names, file);
            bool same = false;
            if (!versions.empty()) {
                const fs::path newest = folder / versions.back();
                std::error_code ec;
                if (fs::file_size(newest, ec) == current->size() && !ec) {
                    try {
                        same = readFileBytes(newest) == current;
                    } catch (const FileError&) {
                        same = false;
                    }
                }
            }
            if (!same) {
                // One time for every file of the save, so that they list together.
                if (stamp_.empty()) stamp_ = stampNow();
                const std::string copy = file + "." + stamp_ + "." + sequenceText(listing.sequence);
                batch_.keepCopy(target, *current, folder / copy);
                listing.names.push_back(copy);
                made_.push_back(copy);
                backedUp_.emplace_back(folder, file);
            }
        }
    }
    batch_.stage(target, bytes);
}

void SaveBatch::commit() {
    batch_.commit(programFolder_);
    for (const auto& [folder, file] : backedUp_) {
        auto names = versionsOf(listings_[folder].names, file);
        for (size_t i = 0; i + static_cast<size_t>(std::max(keep_, 1)) < names.size(); ++i) {
            if (std::find(made_.begin(), made_.end(), names[i]) != made_.end()) continue;
            std::error_code ec;
            fs::remove(folder / names[i], ec);
        }
    }
    backedUp_.clear();
    listings_.clear();
    made_.clear();
}

std::vector<BackupVersion> listBackups(const fs::path& programFolder, std::string_view user) {
    std::vector<BackupVersion> out;
    fs::path folder = backupFolder(programFolder, user);
    refuseLinkedFolders(programFolder, folder);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        auto split = splitBackupName(name);
        std::error_code ec2;
        if (!split || isYearTotalFile(split->file) || it->symlink_status(ec2).type() != fs::file_type::regular)
            continue;
        BackupVersion v;
        v.id = name;
        v.file = split->file;
        v.sequence = split->sequence;
        v.stamp = readableStamp(split->stamp);
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
    // Newest first.
    std::sort(out.begin(), out.end(), [](const BackupVersion& a, const BackupVersion& b) {
        auto sa = splitBackupName(a.id), sb = splitBackupName(b.id);
        if (sa->sequence != sb->sequence) return sa->sequence > sb->sequence;
        return sa->stamp != sb->stamp ? sa->stamp > sb->stamp : a.file < b.file;
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

    commitAllOrNothing(batch, [&] {
        const std::string bytes = readFileBytes(version.path).value_or(std::string());
        RecordStore store(programFolder);
        const fs::path userFolder = store.userFolder(user);
        std::error_code ec;
        if (!fs::is_directory(userFolder, ec)) throw FileError(userFolder, 0, "利用者のフォルダーがありません");
        const fs::path target = findNoCase(userFolder, version.file);
        const auto current = readFileBytes(target);

        // A version is put back only when it reads as what its file should hold,
        // with records a writer would accept, so that the files agree afterwards.
        const std::string& f = version.file;
        const bool yearFile = f.size() > 5 && (f[0] == 's' || f[0] == 'S') &&
                              equalsNoCase(f.substr(f.size() - 4), ".sdb");
        if (yearFile) {
            const std::string year = f.substr(1, f.size() - 5);
            auto records = decodeSoundYearFile(bytes, version.path, year);
            batch.replace(target, current, bytes, user);
            store.stageYearTotal(batch, user, year, records);
        } else {
            if (equalsNoCase(f, "holl.dat") || equalsNoCase(f, "kisyu.dat")) readPairFile(version.path);
            batch.replace(target, current, bytes, user);
        }
    });
}

}  // namespace tama
