#include "text_codec.h"

#include <cstdint>
#include <cstring>

namespace tama {
namespace cp932 {
// Tables generated from the system's iconv when the program is built.
extern const std::uint16_t kSingle[256];      // byte -> code point, kLead or kNone
extern const std::uint16_t kLeadIndex[256];   // lead byte -> row of kPairs
extern const std::uint16_t kPairs[];          // row * 256 + second byte -> code point or kNone
extern const std::uint16_t kEncode[0x10000];  // code point -> one byte (< 0x100), a pair, or kNone
}  // namespace cp932

namespace {

constexpr std::uint16_t kNone = 0xFFFF, kLead = 0xFFFE;

// True when the eight bytes at p are all ASCII.
bool isAscii8(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return (word & 0x8080808080808080ull) == 0;
}

// Writes the UTF-8 bytes of a character of the Basic Multilingual Plane.
char* putUtf8(char* o, unsigned cp) {
    if (cp < 0x80) {
        *o++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *o++ = static_cast<char>(0xC0 | (cp >> 6));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *o++ = static_cast<char>(0xE0 | (cp >> 12));
        *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return o;
}

}  // namespace

bool appendCp932AsUtf8(std::string_view bytes, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    // A piece at a time, with room for the longest result (one byte of
    // katakana becomes three of UTF-8), written through a pointer.
    constexpr std::ptrdiff_t kPiece = 16384;
    while (p != end) {
        const auto* const pieceEnd = end - p > kPiece ? p + kPiece : end;
        const size_t used = out.size();
        // A pair may reach one byte past the piece; the extra room allows for it.
        out.resize(used + static_cast<size_t>(pieceEnd - p) * 3 + 3);
        char* o = out.data() + used;
        bool ok = true;
        while (p < pieceEnd) {
            const unsigned c = *p;
            if (c < 0x80) {
                // ASCII, the bulk of every data file, is the same in both
                // (the table generator checks it); eight bytes at a time.
                *o++ = static_cast<char>(c);
                ++p;
                while (pieceEnd - p >= 8 && isAscii8(p)) {
                    std::memcpy(o, p, 8);
                    o += 8;
                    p += 8;
                }
                continue;
            }
            const std::uint16_t single = cp932::kSingle[c];
            if (single == kNone) {
                ok = false;
                break;
            } else if (single != kLead) {
                o = putUtf8(o, single);
                ++p;
            } else {
                const std::uint16_t cp = end - p < 2 ? kNone : cp932::kPairs[cp932::kLeadIndex[c] * 256u + p[1]];
                if (cp == kNone) {  // no such pair, or one cut off by the end
                    ok = false;
                    break;
                }
                o = putUtf8(o, cp);
                p += 2;
            }
        }
        out.resize(static_cast<size_t>(o - out.data()));
        if (!ok) return false;
    }
    return true;
}

std::optional<std::string> cp932ToUtf8(std::string_view bytes) {
    std::string out;
    // Two bytes of CP932 become three of UTF-8; single-byte katakana, one to three.
    out.reserve(bytes.size() + bytes.size() / 2 + 8);
    if (!appendCp932AsUtf8(bytes, out)) return std::nullopt;
    return out;
}

bool appendUtf8AsCp932(std::string_view text, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    while (p != end) {
        // Runs of ASCII are copied whole.
        const auto* run = p;
        while (end - p >= 8 && isAscii8(p)) p += 8;
        while (p != end && *p < 0x80) ++p;
        if (p != run) out.append(reinterpret_cast<const char*>(run), static_cast<size_t>(p - run));
        if (p == end) break;
        // Well-formed UTF-8 of a character in the Basic Multilingual Plane:
        // anything else (broken, overlong, surrogate, beyond U+FFFF) has no CP932 code.
        unsigned cp;
        if ((*p >> 5) == 6 && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
            cp = ((p[0] & 0x1Fu) << 6) | (p[1] & 0x3Fu);
            if (cp < 0x80) return false;
            p += 2;
        } else if ((*p >> 4) == 14 && end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
            cp = ((p[0] & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
            if (cp < 0x800 || (cp >= 0xD800 && cp < 0xE000)) return false;
            p += 3;
        } else {
            return false;
        }
        const std::uint16_t code = cp932::kEncode[cp];
        if (code == kNone) return false;
        if (code < 0x100) {
            out += static_cast<char>(code);
        } else {
            const char pair[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
            out.append(pair, 2);
        }
    }
    return true;
}

std::optional<std::string> utf8ToCp932(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    if (!appendUtf8AsCp932(text, out)) return std::nullopt;
    return out;
}

std::size_t utf8Length(std::string_view text) {
    std::size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::string storedForm(std::string_view text) {
    bool ascii = true;
    for (unsigned char c : text) ascii = ascii && c < 0x80;
    if (ascii) return std::string(text);
    auto bytes = utf8ToCp932(text);
    if (!bytes) return std::string(text);
    return cp932ToUtf8(*bytes).value_or(std::string(text));
}

std::string utf8Prefix(std::string_view text, std::size_t n) {
    std::size_t i = 0;
    for (; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && n-- == 0) break;
    return std::string(text.substr(0, i));
}

bool isValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

}  // namespace tama
