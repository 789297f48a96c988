#pragma once
// The hall list (holl.dat: lines "name","1") and the machine list (kisyu.dat:
// lines "type","name") of each user, and the common pair in CboData that
// collects every name ever saved with a record. CP932, CR LF, quoted fields.
#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tama {

namespace fs = std::filesystem;

class SaveBatch;

// The seven machine types with their catalog files in Kisyudat.
struct MachineType {
    std::string_view name;
    std::string_view catalogFile;
};
inline constexpr std::array<MachineType, 7> kMachineTypes = {{
    {"ＣＲ機", "cr.kdb"},
    {"時短機", "zitan.kdb"},
    {"スロット", "surotto.kdb"},
    {"権利物", "kenri.kdb"},
    {"一般電役", "denyaku.kdb"},
    {"ハネモノ", "hanemono.kdb"},
    {"その他", "sonota.kdb"},
}};

// The order of the entry form's type box.
inline constexpr std::array<std::string_view, 7> kEntryTypeOrder = {"ＣＲ機",   "時短機",   "権利物", "一般電役",
                                                                    "ハネモノ", "スロット", "その他"};
// The order of the machine list editor's type box.
inline constexpr std::array<std::string_view, 7> kEditorTypeOrder = {"ＣＲ機",   "時短機", "権利物",  "一般電役",
                                                                     "ハネモノ", "その他", "スロット"};
inline constexpr std::string_view kDefaultMachineType = "ＣＲ機";

// Pseudo entries put in front of the names by the graph and analysis windows.
inline constexpr std::string_view kAllHalls = "全ﾎｰﾙ対象";
inline constexpr std::string_view kAllMachines = "全機種対象";
inline constexpr std::string_view kAllTypes = "全ﾀｲﾌﾟ対象";

// Kisyudat/<catalog file> of a type; empty path for an unknown type.
fs::path machineCatalogPath(const fs::path& programFolder, std::string_view type);

// One line of a machine list.
struct MachineEntry {
    std::string type;
    std::string name;
    bool operator==(const MachineEntry&) const = default;
};

// What an editor add did.
enum class AddResult { Added, EmptyName, Exists };

class MasterLists {
public:
    explicit MasterLists(fs::path programFolder);

    fs::path userHallFile(std::string_view user) const;
    fs::path userMachineFile(std::string_view user) const;
    fs::path commonHallFile() const;
    fs::path commonMachineFile() const;

    // Hall names of the user's list in file order (missing file, or no user given: none).
    std::vector<std::string> loadHallNames(std::string_view user) const;
    // Names of the user's machines of exactly that type, in file order.
    std::vector<std::string> loadMachineNames(std::string_view user, std::string_view type) const;
    // Every name of the user's machine list, in file order (for windows without a type box).
    std::vector<std::string> loadAllMachineNames(std::string_view user) const;
    // Every line of the user's machine list (missing file, or no user given: none).
    std::vector<MachineEntry> loadMachines(std::string_view user) const;

    // Used when a record is saved: appends (name, "1") to the common and then the
    // user's hall list unless the name is empty or already listed.
    void addToHallList(std::string_view user, std::string_view name);
    // Used when a record is saved: appends (type, name) to the common and then the
    // user's machine list unless the name is empty or that pair is already listed.
    void addToMachineList(std::string_view user, std::string_view type, std::string_view name);
    // The same two staged into a save's batch (written when the batch commits).
    void addToHallList(SaveBatch& batch, std::string_view user, std::string_view name);
    void addToMachineList(SaveBatch& batch, std::string_view user, std::string_view type, std::string_view name);

    // Every name is compared in the form it is stored in (storedForm): "〜" typed
    // matches the listed "～".
    //
    // Editor operations on the user's lists. Add refuses an empty name and a name
    // already listed (a machine under any type).
    AddResult addHall(std::string_view user, std::string_view name);
    AddResult addMachine(std::string_view user, std::string_view type, std::string_view name);
    // Remove every line with that name (a machine under every type), from a list
    // of any length. A missing list stays missing.
    //
    // Every writer throws FileError when a name holds a double quote, CR or LF
    // (the line could not be read back) or the file cannot be written.
    void deleteHall(std::string_view user, std::string_view name);
    void deleteMachine(std::string_view user, std::string_view name);

private:
    fs::path programFolder_;
};

// Reads a two-field list file (missing file: none). Throws FileError naming the
// file and line when a line is not two quoted fields or the bytes are not CP932.
std::vector<std::pair<std::string, std::string>> readPairFile(const fs::path& path);
// The lines held by the bytes of a list file; `path` only names the file in errors.
std::vector<std::pair<std::string, std::string>> decodePairFile(std::string_view bytes, const fs::path& path);

}  // namespace tama
