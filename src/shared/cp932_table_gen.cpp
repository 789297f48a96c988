// Writes the CP932 conversion tables as C++ source, taken character by
// character from the system's iconv at build time. The program then converts
// with plain table look-ups (several times faster than iconv, and without its
// buffers), while every byte it reads or writes is still exactly what iconv
// gives; a test compares the two over every byte pair and every code point.
//
// Usage: cp932_table_gen OUT.cpp
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

// Converts one short input completely, or fails. A conversion iconv counts as
// irreversible is a failure too, as it is for the program's converter.
bool convert(iconv_t cd, const std::string& in, std::string& out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char buf[16];
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    if (r != 0 || srcLeft != 0) return false;
    out.assign(buf, static_cast<size_t>(dst - buf));
    return true;
}

// The code point of a UTF-8 text holding exactly one character, or -1.
long onlyCodePoint(const std::string& s) {
    if (s.empty()) return -1;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    size_t len = p[0] < 0x80 ? 1 : (p[0] >> 5) == 6 ? 2 : (p[0] >> 4) == 14 ? 3 : (p[0] >> 3) == 30 ? 4 : 0;
    if (len == 0 || len != s.size()) return -1;
    long cp = len == 1 ? p[0] : len == 2 ? (p[0] & 0x1F) : len == 3 ? (p[0] & 0x0F) : (p[0] & 0x07);
    for (size_t i = 1; i < len; ++i) cp = (cp << 6) | (p[i] & 0x3F);
    return cp;
}

std::string utf8Of(unsigned cp) {
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

void writeArray(std::ofstream& out, const char* name, const std::vector<std::uint16_t>& values) {
    out << "extern const std::uint16_t " << name << "[" << values.size() << "] = {";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i % 16 == 0) out << "\n";
        char buf[12];
        std::snprintf(buf, sizeof buf, "0x%04X,", static_cast<unsigned>(values[i]));
        out << buf;
    }
    out << "\n};\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: cp932_table_gen OUT.cpp\n";
        return 2;
    }
    // Closed on every way out (the sanitizer build reports descriptors left open).
    struct Descriptor {
        iconv_t cd;
        Descriptor(const char* to, const char* from) : cd(iconv_open(to, from)) {}
        ~Descriptor() {
            if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
        }
    } decoding("UTF-8", "CP932"), encoding("CP932", "UTF-8");
    iconv_t decoder = decoding.cd, encoder = encoding.cd;
    if (decoder == reinterpret_cast<iconv_t>(-1) || encoder == reinterpret_cast<iconv_t>(-1)) {
        std::cerr << "cp932_table_gen: iconv has no CP932\n";
        return 1;
    }
    constexpr std::uint16_t kNone = 0xFFFF, kLead = 0xFFFE;

    // Single bytes: a character, the first byte of a pair, or nothing.
    std::vector<std::uint16_t> single(256, kNone);
    std::vector<std::uint16_t> leadIndex(256, kNone);
    std::vector<std::uint16_t> pairs;
    std::string out;
    for (unsigned b = 0; b < 256; ++b) {
        std::string in(1, static_cast<char>(b));
        if (convert(decoder, in, out)) {
            long cp = onlyCodePoint(out);
            if (cp < 0 || cp >= 0xFFFE) {
                std::cerr << "cp932_table_gen: byte " << b << " decodes to more than one BMP character\n";
                return 1;
            }
            single[b] = static_cast<std::uint16_t>(cp);
            continue;
        }
        // A lead byte: some pair starting with it converts.
        std::vector<std::uint16_t> row(256, kNone);
        bool any = false;
        for (unsigned t = 0; t < 256; ++t) {
            std::string pair{static_cast<char>(b), static_cast<char>(t)};
            if (!convert(decoder, pair, out)) continue;
            long cp = onlyCodePoint(out);
            if (cp < 0 || cp >= 0xFFFE) {
                std::cerr << "cp932_table_gen: pair " << b << "," << t << " is not one BMP character\n";
                return 1;
            }
            row[t] = static_cast<std::uint16_t>(cp);
            any = true;
        }
        if (!any) continue;
        single[b] = kLead;
        leadIndex[b] = static_cast<std::uint16_t>(pairs.size() / 256);
        pairs.insert(pairs.end(), row.begin(), row.end());
    }

    // Every character of the Basic Multilingual Plane: its one or two bytes,
    // or nothing. Nothing beyond that plane has a CP932 code.
    std::vector<std::uint16_t> encode(0x10000, kNone);
    for (unsigned cp = 0; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp < 0xE000) continue;
        if (!convert(encoder, utf8Of(cp), out)) continue;
        if (out.size() == 1) {
            encode[cp] = static_cast<unsigned char>(out[0]);
        } else if (out.size() == 2 && static_cast<unsigned char>(out[0]) >= 0x80) {
            encode[cp] = static_cast<std::uint16_t>((static_cast<unsigned char>(out[0]) << 8) |
                                                    static_cast<unsigned char>(out[1]));
        } else {
            std::cerr << "cp932_table_gen: U+" << std::hex << cp << " encodes to an unexpected form\n";
            return 1;
        }
    }

    // The codec copies ASCII as it stands, in both directions.
    for (unsigned b = 0; b < 0x80; ++b)
        if (single[b] != b || encode[b] != b) {
            std::cerr << "cp932_table_gen: ASCII byte " << b << " does not convert to itself\n";
            return 1;
        }

    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file << "// Generated by cp932_table_gen from the system's iconv; do not edit.\n"
            "#include <cstdint>\n\nnamespace tama::cp932 {\n\n";
    writeArray(file, "kSingle", single);
    writeArray(file, "kLeadIndex", leadIndex);
    writeArray(file, "kPairs", pairs);
    writeArray(file, "kEncode", encode);
    file << "\n}  // namespace tama::cp932\n";
    file.close();
    if (!file) {
        std::cerr << "cp932_table_gen: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
