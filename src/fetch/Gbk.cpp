#include "fetch/Gbk.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace tarnwick {
namespace {

// Owns one iconv conversion descriptor.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv_open failed for ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; a byte sequence the source encoding does not allow, or a
    // character the target cannot hold, is replaced and conversion goes on after it.
    std::string Convert(std::string_view input, std::string_view replacement,
                        std::size_t badSequenceLength) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state
        std::string out;
        out.reserve(input.size() + input.size() / 2 + 16);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t rc = iconv(m_cd, &in, &inLeft, &outPtr, &outLeft);
            // Taken before the append: a growing string may allocate, and malloc may set errno.
            const int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (error == 0 || error == E2BIG) {
                continue;
            }
            // EILSEQ: a bad sequence; EINVAL: the input ends inside a sequence.
            out.append(replacement);
            std::size_t skip = error == EINVAL ? inLeft : SkipLength(in, inLeft, badSequenceLength);
            in += skip;
            inLeft -= skip;
        }
        return out;
    }

private:
    // How many bytes to drop after a bad sequence: one for GBK input, the whole UTF-8
    // character for UTF-8 input, so a character GBK cannot hold becomes one '?'.
    static std::size_t SkipLength(const char* in, std::size_t left, std::size_t mode) {
        if (mode == 1) {
            return 1;
        }
        auto lead = static_cast<unsigned char>(in[0]);
        std::size_t length = lead < 0x80    ? 1
                             : lead >= 0xF0 ? 4
                             : lead >= 0xE0 ? 3
                             : lead >= 0xC0 ? 2
                                            : 1;
        std::size_t n = 1;
        while (n < length && n < left && (static_cast<unsigned char>(in[n]) & 0xC0) == 0x80) {
            ++n;
        }
        return n;
    }

    iconv_t m_cd;
};

bool IsAscii(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
    if (IsAscii(gbk)) {
        return std::string(gbk);
    }
    thread_local Converter converter("UTF-8", "GBK");
    return converter.Convert(gbk, "\xEF\xBF\xBD", 1);
}

std::string Utf8ToGbk(std::string_view utf8) {
    if (IsAscii(utf8)) {
        return std::string(utf8);
    }
    thread_local Converter converter("GBK", "UTF-8");
    return converter.Convert(utf8, "?", 0);
}

}  // namespace tarnwick
