#pragma once
// The start-up steps that need no window: the six data folders beside the
// program, the settings file path, and the scan of the last user's records.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tama {

namespace fs = std::filesystem;

// The data folders in the order start-up looks for them and creates them.
inline constexpr std::array<std::string_view, 6> kDataFolders = {"CboData", "Data",      "Backup",
                                                                 "Temp",    "Kisyudat#", "Kisyudat"};

// Compares the entries of the program folder (files and folders) with the six names
// exactly, letter case included, and creates each one not seen, in order. A plain
// file with one of the names counts as present. Returns the names created.
// Throws FileError when a folder cannot be created.
std::vector<std::string> ensureDataFolders(const fs::path& programFolder);

// Removes the temporary files a killed writer left in the program folder, its
// data folders and the user folders. Runs only when no other writer is at work
// (its temporaries are live then); returns what was removed.
std::vector<fs::path> removeLeftoverTemporaries(const fs::path& programFolder);

// program folder / "tmrec.ini".
fs::path settingsFilePath(const fs::path& programFolder);

// Reads every record of every *.sdb file of the user, in listing order, and calls
// `progress` with the running count after each record is read (1, 2, 3 ...).
// Returns the number of records read; 0 when the user has no folder or the name could
// not be one (see userNameProblem). Throws FileError for a file that cannot be read.
std::int64_t DataFolderScan(const fs::path& programFolder, std::string_view user,
                            const std::function<void(std::int64_t counter)>& progress);

// True when Data holds no entry (first run: no user exists yet).
bool noUserExists(const fs::path& programFolder);

}  // namespace tama
