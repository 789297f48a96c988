#include "master_lists.h"

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>

#include "record_store.h"
#include "save_batch.h"
#include "shared/file_io.h"
#include "shared/text_codec.h"

namespace tama {

namespace {

std::string encodeLine(std::string_view a, std::string_view b, const fs::path& path) {
    // A quote would end the field early and a line end split the line: the list
    // could no longer be read, so such a name is refused before anything is written.
    for (std::string_view f : {a, b})
        if (f.find_first_of("\"\r\n") != std::string_view::npos)
            throw FileError(path, 0, "「\"」や改行を含む名前は書けません");
    auto bytes = utf8ToCp932("\"" + std::string(a) + "\",\"" + std::string(b) + "\"\r\n");
    if (!bytes) throw FileError(path, 0, "Shift-JIS で書けない文字があります");
    return *bytes;
}

// A list file read once: its bytes as they are and its lines.
struct ListContent {
    fs::path path;
    std::optional<std::string> bytes;
    std::vector<std::pair<std::string, std::string>> lines;
};

ListContent readList(const fs::path& path) {
    ListContent c{path, readFileBytes(path), {}};
    if (c.bytes) c.lines = decodePairFile(*c.bytes, path);
    return c;
}

// Stages the list with one line appended; the whole file is rewritten so a
// failure leaves the old one whole. `user` empty: a common list, not backed up.
void appendPair(SaveBatch& batch, const ListContent& list, std::string_view a, std::string_view b,
                std::string_view user) {
    std::string bytes = list.bytes.value_or(std::string());
    // End the last line first. A file cut off between CR and LF only needs the LF:
    // another CR LF would leave a stray CR in that line and make it unreadable.
    if (!bytes.empty() && bytes.back() == '\r') bytes += '\n';
    else if (!bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
    bytes += encodeLine(a, b, list.path);
    batch.replace(list.path, list.bytes, bytes, user);
}

// Appends the pair (a, b) to each of the two lists, the common one and then the
// user's, in which no line is `listed`; both were read before either is written.
template <class Listed>
void appendWhereMissing(SaveBatch& batch, const std::array<ListContent, 2>& lists, std::string_view user,
                        std::string_view a, std::string_view b, Listed listed) {
    for (size_t k = 0; k < lists.size(); ++k)
        if (std::none_of(lists[k].lines.begin(), lists[k].lines.end(), listed))
            appendPair(batch, lists[k], a, b, k == 0 ? std::string_view() : user);
}

// The user's list with the pair (a, b) appended and saved, unless a line is
// `listed` already. The batch was opened before the list was read.
template <class Listed>
AddResult appendUnlessListed(SaveBatch& batch, const ListContent& list, std::string_view user, std::string_view a,
                             std::string_view b, Listed listed) {
    if (std::any_of(list.lines.begin(), list.lines.end(), listed)) return AddResult::Exists;
    appendPair(batch, list, a, b, user);
    batch.commit();
    return AddResult::Added;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> readPairFile(const fs::path& path) {
    auto bytes = readFileBytes(path);
    if (!bytes) return {};
    return decodePairFile(*bytes, path);
}

std::vector<std::pair<std::string, std::string>> decodePairFile(std::string_view bytes, const fs::path& path) {
    std::vector<std::pair<std::string, std::string>> out;
    forEachLine(bytes, [&](int no, std::string_view raw) {
        if (raw.find_first_not_of(" \t") == std::string_view::npos) return;
        auto line = cp932ToUtf8(raw);
        if (!line) throw FileError(path, no, "Shift-JIS として読めない文字があります");
        std::string_view s = *line;
        if (s.find('\r') != std::string_view::npos) throw FileError(path, no, "行の途中に改行文字があります");
        // "a","b"
        if (s.size() < 2 || s.front() != '"') throw FileError(path, no, "項目が \" で囲まれていません");
        size_t c1 = s.find('"', 1);
        if (c1 == std::string_view::npos || c1 + 2 >= s.size() || s[c1 + 1] != ',' || s[c1 + 2] != '"')
            throw FileError(path, no, "項目が2個ではありません");
        size_t c2 = s.find('"', c1 + 3);
        if (c2 == std::string_view::npos || c2 + 1 != s.size()) throw FileError(path, no, "項目が2個ではありません");
        out.emplace_back(std::string(s.substr(1, c1 - 1)), std::string(s.substr(c1 + 3, c2 - c1 - 3)));
    });
    return out;
}

fs::path machineCatalogPath(const fs::path& programFolder, std::string_view type) {
    for (const auto& t : kMachineTypes)
        if (t.name == type) return findNoCase(findNoCase(programFolder, "Kisyudat"), t.catalogFile);
    return {};
}

MasterLists::MasterLists(fs::path programFolder) : programFolder_(std::move(programFolder)) {}

fs::path MasterLists::userHallFile(std::string_view user) const {
    return findNoCase(RecordStore(programFolder_).userFolder(user), "holl.dat");
}
fs::path MasterLists::userMachineFile(std::string_view user) const {
    return findNoCase(RecordStore(programFolder_).userFolder(user), "kisyu.dat");
}
fs::path MasterLists::commonHallFile() const { return findNoCase(findNoCase(programFolder_, "CboData"), "holl.dat"); }
fs::path MasterLists::commonMachineFile() const {
    return findNoCase(findNoCase(programFolder_, "CboData"), "Kisyu.dat");
}

std::vector<std::string> MasterLists::loadHallNames(std::string_view user) const {
    std::vector<std::string> names;
    if (user.empty()) return names;  // no user yet (first start): no list, as for a missing file
    for (auto& [name, one] : readPairFile(userHallFile(user))) names.push_back(std::move(name));
    return names;
}

std::vector<MachineEntry> MasterLists::loadMachines(std::string_view user) const {
    std::vector<MachineEntry> out;
    if (user.empty()) return out;  // no user yet (first start): no list, as for a missing file
    for (auto& [type, name] : readPairFile(userMachineFile(user))) out.push_back({std::move(type), std::move(name)});
    return out;
}

std::vector<std::string> MasterLists::loadMachineNames(std::string_view user, std::string_view type) const {
    std::vector<std::string> names;
    for (auto& m : loadMachines(user))
        if (m.type == type) names.push_back(std::move(m.name));
    return names;
}

std::vector<std::string> MasterLists::loadAllMachineNames(std::string_view user) const {
    std::vector<std::string> names;
    for (auto& m : loadMachines(user)) names.push_back(std::move(m.name));
    return names;
}

// Both lists are read before either is written, so a damaged user list does not
// leave the name added to the common list alone.
void MasterLists::addToHallList(SaveBatch& batch, std::string_view user, std::string_view typed) {
    if (typed.empty()) return;
    const std::string name = storedForm(typed);
    appendWhereMissing(batch, {readList(commonHallFile()), readList(userHallFile(user))}, user, name, "1",
                       [&](const auto& line) { return line.first == name; });
}

void MasterLists::addToMachineList(SaveBatch& batch, std::string_view user, std::string_view type,
                                   std::string_view typed) {
    if (typed.empty()) return;
    const std::string name = storedForm(typed);
    appendWhereMissing(batch, {readList(commonMachineFile()), readList(userMachineFile(user))}, user, type, name,
                       [&](const auto& line) { return line.first == type && line.second == name; });
}

void MasterLists::addToHallList(std::string_view user, std::string_view name) {
    SaveBatch batch(programFolder_);
    addToHallList(batch, user, name);
    batch.commit();
}

void MasterLists::addToMachineList(std::string_view user, std::string_view type, std::string_view name) {
    SaveBatch batch(programFolder_);
    addToMachineList(batch, user, type, name);
    batch.commit();
}

AddResult MasterLists::addHall(std::string_view user, std::string_view typed) {
    if (typed.empty()) return AddResult::EmptyName;
    const std::string name = storedForm(typed);
    SaveBatch batch(programFolder_);
    return appendUnlessListed(batch, readList(userHallFile(user)), user, name, "1",
                              [&](const auto& line) { return line.first == name; });
}

AddResult MasterLists::addMachine(std::string_view user, std::string_view type, std::string_view typed) {
    if (typed.empty()) return AddResult::EmptyName;
    const std::string name = storedForm(typed);
    SaveBatch batch(programFolder_);
    return appendUnlessListed(batch, readList(userMachineFile(user)), user, type, name,
                              [&](const auto& line) { return line.second == name; });
}

namespace {
void deleteByName(const fs::path& programFolder, std::string_view user, const fs::path& path, bool nameIsSecond,
                  std::string_view typed) {
    const std::string name = storedForm(typed);
    SaveBatch batch(programFolder);
    const ListContent list = readList(path);
    // A list that does not exist yet has nothing to delete; it is not created here.
    if (!list.bytes) return;
    std::string bytes;
    for (const auto& l : list.lines)
        if ((nameIsSecond ? l.second : l.first) != name) bytes += encodeLine(l.first, l.second, path);
    batch.replace(path, list.bytes, bytes, user);
    batch.commit();
}
}  // namespace

void MasterLists::deleteHall(std::string_view user, std::string_view name) {
    deleteByName(programFolder_, user, userHallFile(user), false, name);
}

void MasterLists::deleteMachine(std::string_view user, std::string_view name) {
    deleteByName(programFolder_, user, userMachineFile(user), true, name);
}

}  // namespace tama
