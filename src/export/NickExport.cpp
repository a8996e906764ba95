#include "export/NickExport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "base/Text.h"
#include "base/Utf8.h"
#include "export/XlsxExport.h"
#include "fetch/Gbk.h"
#include "store/Store.h"

namespace tarnwick {
namespace {

// The lower-case partner of the upper-case letters GBK holds: ASCII, Greek, Cyrillic, the
// full-width Latin letters that Chinese input methods produce and the Roman numerals. Nicks are
// GBK text, so nothing outside these can differ by case alone.
char32_t FoldLetter(char32_t c) {
    if (c >= 0x2160 && c <= 0x216F) {  // Ⅰ .. Ⅿ
        return c + 0x10;
    }
    if ((c >= U'A' && c <= U'Z') || (c >= 0x0391 && c <= 0x03A9 && c != 0x03A2) ||
        (c >= 0x0410 && c <= 0x042F) || (c >= 0xFF21 && c <= 0xFF3A)) {
        return c + 0x20;
    }
    if (c == 0x0401) {  // Ё stands apart from the rest of the Cyrillic capitals
        return 0x0451;
    }
    return c;
}

// The nick as it compares without regard to case. Only letters that fold are re-encoded;
// every other byte is kept as it is, malformed ones included, so two nicks that differ in such
// bytes stay different.
std::string CaseKey(const std::string& nick) {
    auto byte = [&](std::size_t at) { return static_cast<unsigned char>(nick[at]); };
    auto continuation = [&](std::size_t at) {
        return at < nick.size() && (byte(at) & 0xC0) == 0x80;
    };
    std::string key;
    key.reserve(nick.size());
    for (std::size_t i = 0; i < nick.size();) {
        const unsigned char lead = byte(i);
        std::size_t length = 1;
        char32_t c = lead;
        if ((lead & 0xE0) == 0xC0 && continuation(i + 1)) {
            length = 2;
            c = (char32_t{lead} & 0x1F) << 6 | (byte(i + 1) & 0x3F);
        } else if ((lead & 0xF0) == 0xE0 && continuation(i + 1) && continuation(i + 2)) {
            length = 3;
            c = (char32_t{lead} & 0x0F) << 12 | (byte(i + 1) & 0x3F) << 6 | (byte(i + 2) & 0x3F);
        }
        // An over-long sequence is not a letter: only the shortest form of one folds.
        const bool wellFormed =
            (length == 1 && c < 0x80) || (length == 2 && c >= 0x80) || (length == 3 && c >= 0x800);
        const char32_t folded = wellFormed ? FoldLetter(c) : c;
        if (folded != c) {
            AppendUtf8(key, folded);
        } else {
            key.append(nick, i, length);
        }
        i += length;
    }
    return key;
}

bool EndsWithTxt(const std::string& name) {
    constexpr std::string_view kSuffix = ".txt";
    return name.size() >= kSuffix.size() &&
           EqualsIgnoringAsciiCase(std::string_view(name).substr(name.size() - kSuffix.size()),
                                   kSuffix);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void FailWriting(const std::string& path, int error) {
    throw ExportError("无法写入文件 \"" + path + "\": " + std::strerror(error));
}

}  // namespace

std::vector<std::string> CollectReviewerNicks(
    Store& store, const std::vector<std::pair<std::string, std::string>>& items) {
    std::vector<std::string> nicks;
    std::unordered_set<std::string> seen;
    for (const auto& [sid, itemId] : items) {
        for (const RateRow& rate : store.ReadRates(sid, itemId)) {
            const std::string& nick = rate.displayUserNick;
            // The marketplace masks anonymous reviewers as "x**y"; such a nick names nobody.
            if (nick.find("**") != std::string::npos) {
                continue;
            }
            if (seen.insert(CaseKey(nick)).second) {
                nicks.push_back(nick);
            }
        }
    }
    return nicks;
}

std::string NickFileName(const std::string& chosen) {
    return EndsWithTxt(chosen) ? chosen : chosen + ".txt";
}

void WriteNickFile(const std::string& path, const std::vector<std::string>& nicks) {
    std::string bytes;
    for (const std::string& nick : nicks) {
        bytes += Utf8ToGbk(nick);
        bytes += "\r\n";
    }
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        FailWriting(path, errno);
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        FailWriting(path, errno);
    }
    // Buffered bytes only reach the disk here, so a full disk shows up at the close.
    if (std::fclose(file.release()) != 0) {
        FailWriting(path, errno);
    }
}

}  // namespace tarnwick
