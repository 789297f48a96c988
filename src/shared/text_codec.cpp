#include "text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace tama {
namespace {

// One iconv descriptor per direction and thread; iconv descriptors carry
// shift state, so each call resets it before use.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::optional<std::string> run(std::string_view in) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.resize(in.size() * 2 + 16);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char* dst = out.data();
        size_t dstLeft = out.size();
        while (srcLeft > 0) {
            size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            if (r != static_cast<size_t>(-1)) {
                // iconv may translate unrepresentable characters irreversibly;
                // a non-zero count means the text would not survive a round trip.
                if (r != 0) return std::nullopt;
                break;
            }
            if (errno == E2BIG) {
                size_t used = static_cast<size_t>(dst - out.data());
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = out.size() - used;
                continue;
            }
            return std::nullopt;  // EILSEQ or EINVAL: bad or cut-off input
        }
        out.resize(static_cast<size_t>(dst - out.data()));
        return out;
    }

private:
    iconv_t cd_;
};

bool isAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

}  // namespace

std::optional<std::string> cp932ToUtf8(std::string_view bytes) {
    if (isAscii(bytes)) return std::string(bytes);
    thread_local Converter conv("UTF-8", "CP932");
    return conv.run(bytes);
}

std::optional<std::string> utf8ToCp932(std::string_view text) {
    if (isAscii(text)) return std::string(text);
    thread_local Converter conv("CP932", "UTF-8");
    return conv.run(text);
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
