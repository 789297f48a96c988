#pragma once
// Conversion between the UTF-8 text the program works with and the
// Shift-JIS (code page 932) bytes of every data file. The conversion is the
// system iconv's, character for character, through tables taken from it when
// the program is built.
#include <optional>
#include <string>
#include <string_view>

namespace tama {

// Decodes CP932 bytes to UTF-8. Returns nothing when the bytes are not valid CP932.
std::optional<std::string> cp932ToUtf8(std::string_view bytes);

// Decodes CP932 bytes to UTF-8 at the end of `out`, for callers that reuse one
// buffer. Returns false when the bytes are not valid CP932; `out` then holds
// part of the text.
bool appendCp932AsUtf8(std::string_view bytes, std::string& out);

// Encodes UTF-8 text as CP932. Returns nothing when the text is not valid UTF-8
// or holds a character that CP932 cannot represent.
std::optional<std::string> utf8ToCp932(std::string_view text);

// Encodes UTF-8 text as CP932 at the end of `out`. Returns false when the text
// is not valid UTF-8 or holds a character CP932 cannot represent; `out` then
// holds part of the bytes.
bool appendUtf8AsCp932(std::string_view text, std::string& out);

// Number of characters (code points) in a UTF-8 text.
std::size_t utf8Length(std::string_view text);

// The form in which a text comes back from a CP932 file: characters CP932 stores
// as another one come back as that one ("〜" U+301C as "～" U+FF5E, "−" U+2212 as
// "－" U+FF0D). Names are compared in this form. A text CP932 cannot hold at all
// is returned as it is.
std::string storedForm(std::string_view text);

// The first n characters (code points) of a UTF-8 text.
std::string utf8Prefix(std::string_view text, std::size_t n);

// True when every byte sequence of the text is well-formed UTF-8.
bool isValidUtf8(std::string_view text);

}  // namespace tama
