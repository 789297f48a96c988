#include "master_lists.h"

#include <stdexcept>

#include "record_store.h"
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

void writePairs(const fs::path& path, const std::vector<std::pair<std::string, std::string>>& lines) {
    std::string bytes;
    for (const auto& [a, b] : lines) bytes += encodeLine(a, b, path);
    writeFileAtomic(path, bytes);
}

// Appends one line; the whole file is rewritten so a failure leaves the old one whole.
void appendPair(const fs::path& path, std::string_view a, std::string_view b) {
    std::string bytes = readFileBytes(path).value_or(std::string());
    // End the last line first. A file cut off between CR and LF only needs the LF:
    // another CR LF would leave a stray CR in that line and make it unreadable.
    if (!bytes.empty() && bytes.back() == '\r') bytes += '\n';
    else if (!bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
    bytes += encodeLine(a, b, path);
    writeFileAtomic(path, bytes);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> readPairFile(const fs::path& path) {
    std::vector<std::pair<std::string, std::string>> out;
    auto bytes = readFileBytes(path);
    if (!bytes) return out;
    forEachLine(*bytes, [&](int no, std::string_view raw) {
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
    return findNoCase(RecordStore(programFolder_).UserFolder(user), "holl.dat");
}
fs::path MasterLists::userMachineFile(std::string_view user) const {
    return findNoCase(RecordStore(programFolder_).UserFolder(user), "kisyu.dat");
}
fs::path MasterLists::commonHallFile() const { return findNoCase(findNoCase(programFolder_, "CboData"), "holl.dat"); }
fs::path MasterLists::commonMachineFile() const {
    return findNoCase(findNoCase(programFolder_, "CboData"), "Kisyu.dat");
}

std::vector<std::string> MasterLists::LoadHallNames(std::string_view user) const {
    std::vector<std::string> names;
    if (user.empty()) return names;  // no user yet (first start): no list, as for a missing file
    for (auto& [name, one] : readPairFile(userHallFile(user))) names.push_back(std::move(name));
    return names;
}

std::vector<MachineEntry> MasterLists::LoadMachines(std::string_view user) const {
    std::vector<MachineEntry> out;
    if (user.empty()) return out;  // no user yet (first start): no list, as for a missing file
    for (auto& [type, name] : readPairFile(userMachineFile(user))) out.push_back({std::move(type), std::move(name)});
    return out;
}

std::vector<std::string> MasterLists::LoadMachineNames(std::string_view user, std::string_view type) const {
    std::vector<std::string> names;
    for (auto& m : LoadMachines(user))
        if (m.type == type) names.push_back(std::move(m.name));
    return names;
}

std::vector<std::string> MasterLists::LoadAllMachineNames(std::string_view user) const {
    std::vector<std::string> names;
    for (auto& m : LoadMachines(user)) names.push_back(std::move(m.name));
    return names;
}

// Both lists are read before either is written, so a damaged user list does not
// leave the name added to the common list alone.
void MasterLists::AddToHallList(std::string_view user, std::string_view name) {
    if (name.empty()) return;
    const fs::path paths[] = {commonHallFile(), userHallFile(user)};
    bool listed[2] = {false, false};
    for (int k = 0; k < 2; ++k)
        for (const auto& [n, one] : readPairFile(paths[k]))
            if (n == name) listed[k] = true;
    for (int k = 0; k < 2; ++k)
        if (!listed[k]) appendPair(paths[k], name, "1");
}

void MasterLists::AddToMachineList(std::string_view user, std::string_view type, std::string_view name) {
    if (name.empty()) return;
    const fs::path paths[] = {commonMachineFile(), userMachineFile(user)};
    bool listed[2] = {false, false};
    for (int k = 0; k < 2; ++k)
        for (const auto& [t, n] : readPairFile(paths[k]))
            if (t == type && n == name) listed[k] = true;
    for (int k = 0; k < 2; ++k)
        if (!listed[k]) appendPair(paths[k], type, name);
}

AddResult MasterLists::AddHall(std::string_view user, std::string_view name) {
    if (name.empty()) return AddResult::EmptyName;
    fs::path path = userHallFile(user);
    for (const auto& [n, one] : readPairFile(path))
        if (n == name) return AddResult::Exists;
    appendPair(path, name, "1");
    return AddResult::Added;
}

AddResult MasterLists::AddMachine(std::string_view user, std::string_view type, std::string_view name) {
    if (name.empty()) return AddResult::EmptyName;
    fs::path path = userMachineFile(user);
    for (const auto& [t, n] : readPairFile(path))
        if (n == name) return AddResult::Exists;
    appendPair(path, type, name);
    return AddResult::Added;
}

namespace {
void deleteByName(const fs::path& path, bool nameIsSecond, std::string_view name, size_t limit) {
    // A list that does not exist yet has nothing to delete; it is not created here.
    std::error_code ec;
    if (!fs::exists(path, ec)) return;
    auto lines = readPairFile(path);
    std::vector<std::pair<std::string, std::string>> kept;
    for (auto& l : lines)
        if ((nameIsSecond ? l.second : l.first) != name) kept.push_back(std::move(l));
    if (kept.size() > limit)
        throw ListLimitError("一覧が " + std::to_string(limit) + " 件を超えているため削除できません");
    writePairs(path, kept);
}
}  // namespace

void MasterLists::DeleteHall(std::string_view user, std::string_view name) {
    deleteByName(userHallFile(user), false, name, kHallDeleteLimit);
}

void MasterLists::DeleteMachine(std::string_view user, std::string_view name) {
    deleteByName(userMachineFile(user), true, name, kMachineDeleteLimit);
}

}  // namespace tama
