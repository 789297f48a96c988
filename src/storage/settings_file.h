#pragma once
// The settings file "tmrec.ini": sections of "key=value" lines, CP932, CR LF.
// Section and key names match without regard to letter case; values are read
// trimmed, without surrounding quotes, and cut to their first 1023 bytes (one
// byte less when the 1023rd byte would split a double-byte character).
#include <filesystem>
#include <string>
#include <string_view>

namespace tama {

namespace fs = std::filesystem;

class SettingsFile {
public:
    explicit SettingsFile(fs::path path);

    const fs::path& path() const { return path_; }

    // The value of the key, or an empty text when the file, section or key is
    // missing (an empty value and a missing key are the same to every caller).
    std::string read(std::string_view section, std::string_view key) const;

    // Reads the key and returns `fallback` when the result is empty.
    std::string readOr(std::string_view section, std::string_view key, std::string_view fallback) const;

    // Sets the key, creating the file and the section when missing; every other
    // line stays as it was. Returns false when the file could not be written, when
    // it exists but could not be read (it is then left untouched), or when a text
    // holds CR or LF, the key "=" or the section "]" (callers ignore this: settings
    // are best effort).
    bool write(std::string_view section, std::string_view key, std::string_view value);

private:
    fs::path path_;
};

// Bytes of a value longer than this come back cut.
inline constexpr size_t kSettingsValueMaxBytes = 1023;

// The eight display options, as the texts read from section "Option" (an empty or
// missing value takes its default). Consumers convert them when they use them.
struct OptionSet {
    std::string cmdAllBackColor = "-2147483633";  // overall colour: button face
    std::string cmdGlufBackColor = "255";         // graph axis colour: red
    std::string chkDat1Value = "1";               // change row colour every N rows
    std::string lblLineCaption = "1";             // that N
    std::string cmdDatBackColor = "16777205";     // that row colour
    std::string chkG1Value = "0";                 // chart title inside the plot
    std::string chkG2Value = "1";                 // graphs show their X-axis title
    std::string chkG3Value = "1";                 // graphs show their Y-axis title

    bool operator==(const OptionSet&) const = default;
};

// Reads the eight keys of section "Option" in their fixed order.
OptionSet readOptionSet(const SettingsFile& settings);

// Writes the eight keys of section "Option".
void writeOptionSet(SettingsFile& settings, const OptionSet& options);

// A stored colour as a 32-bit value 0x00BBGGRR, or 0x80000000 + n for system colour n.
// Text that is not a number gives `fallback`.
std::uint32_t colourValue(std::string_view text, std::uint32_t fallback);

// A 0/1 option: "1" (or any non-zero number) is true; text that is not a number gives `fallback`.
bool flagValue(std::string_view text, bool fallback);

}  // namespace tama
