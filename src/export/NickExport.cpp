#include "export/NickExport.h"

#include <unordered_set>

#include "base/Text.h"
#include "base/Utf8.h"
#include "export/AtomicFile.h"
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

}  // namespace

std::string NickLine(const std::string& nick) {
    std::string line;
    line.reserve(nick.size());
    for (std::size_t i = 0; i < nick.size(); ++i) {
        const auto c = static_cast<unsigned char>(nick[i]);
        const auto next = i + 1 < nick.size() ? static_cast<unsigned char>(nick[i + 1]) : 0;
        if (c < 0x20 || c == 0x7F) {
            line += ' ';
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {  // U+0080 .. U+009F
            line += ' ';
            i += 1;
        } else if (c == 0xE2 && next == 0x80 && i + 2 < nick.size() &&
                   (nick[i + 2] == '\xA8' || nick[i + 2] == '\xA9')) {  // U+2028, U+2029
            line += ' ';
            i += 2;
        } else {
            line += nick[i];
        }
    }
    return line;
}

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
        bytes += Utf8ToGbk(NickLine(nick));
        bytes += "\r\n";
    }
    WriteFileAtomically(path, bytes);
}

}  // namespace tarnwick
