#include "fetch/RecordMatcher.h"

#include <array>
#include <cassert>
#include <cstdint>
#include <utility>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace tarnwick {
namespace {

struct CodeDeleter {
    void operator()(pcre2_code* code) const noexcept { pcre2_code_free(code); }
};

struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const noexcept { pcre2_match_data_free(data); }
};

using CodePtr = std::unique_ptr<pcre2_code, CodeDeleter>;
using MatchDataPtr = std::unique_ptr<pcre2_match_data, MatchDataDeleter>;

std::string ErrorText(int code) {
    std::array<PCRE2_UCHAR, 256> buffer{};
    const int length = pcre2_get_error_message(code, buffer.data(), buffer.size());
    if (length < 0) {
        return "PCRE2 error " + std::to_string(code);
    }
    return std::string(reinterpret_cast<const char*>(buffer.data()),
                       static_cast<std::size_t>(length));
}

}  // namespace

struct RecordMatcher::Compiled {
    CodePtr code;
    MatchDataPtr matchData;
};

RecordMatcher::RecordMatcher() = default;
RecordMatcher::~RecordMatcher() = default;
RecordMatcher::RecordMatcher(RecordMatcher&&) noexcept = default;
RecordMatcher& RecordMatcher::operator=(RecordMatcher&&) noexcept = default;

void RecordMatcher::SetSubject(std::string subject) {
    m_subject = std::move(subject);
    m_searchStart = 0;
    m_haveMatch = false;
}

void RecordMatcher::SetPattern(std::string_view pattern) {
    if (pattern != m_pattern) {
        m_pattern = pattern;
        m_compiled.reset();
    }
}

bool RecordMatcher::FindNext() {
    m_haveMatch = false;
    if (!m_compiled) {
        int errorCode = 0;
        PCRE2_SIZE errorOffset = 0;
        CodePtr code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(m_pattern.data()), m_pattern.size(),
                                   PCRE2_DOTALL | PCRE2_MULTILINE, &errorCode, &errorOffset,
                                   nullptr));
        if (!code) {
            throw PatternError("cannot compile the pattern \"" + m_pattern + "\": " +
                               ErrorText(errorCode) + " at offset " + std::to_string(errorOffset));
        }
        // The record patterns run lazily over whole pages; the interpreter copes as well, only
        // slower, so a build of PCRE2 without JIT support is not an error.
        (void)pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);
        MatchDataPtr matchData(pcre2_match_data_create_from_pattern(code.get(), nullptr));
        if (!matchData) {
            throw MatchError("cannot allocate the match data for the pattern \"" + m_pattern +
                             "\"");
        }
        m_compiled = std::make_unique<Compiled>(Compiled{std::move(code), std::move(matchData)});
    }

    if (m_searchStart > m_subject.size()) {
        return false;
    }
    const auto match = [this](std::uint32_t options) {
        return pcre2_match(m_compiled->code.get(), reinterpret_cast<PCRE2_SPTR>(m_subject.data()),
                           m_subject.size(), m_searchStart, options, m_compiled->matchData.get(),
                           nullptr);
    };
    int rc = match(0);
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
        // The interpreter keeps its backtracking state on the heap, not on the small JIT stack.
        rc = match(PCRE2_NO_JIT);
    }
    if (rc == PCRE2_ERROR_NOMATCH) {
        return false;
    }
    if (rc < 0) {
        throw MatchError("matching the pattern \"" + m_pattern + "\" failed at offset " +
                         std::to_string(m_searchStart) + ": " + ErrorText(rc));
    }

    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(m_compiled->matchData.get());
    m_matchStart = ovector[0];
    m_matchEnd = ovector[1];
    m_haveMatch = true;
    // An empty match would be found again at the same place; \K can even end a match before
    // where the search began. Either way the walk must move on.
    std::size_t next = m_matchEnd > m_matchStart ? m_matchEnd : m_matchStart + 1;
    if (next <= m_searchStart) {
        next = m_searchStart + 1;
    }
    m_searchStart = next;
    return true;
}

std::string RecordMatcher::MatchedText() const {
    assert(m_haveMatch && "MatchedText needs a FindNext that returned true");
    if (m_matchEnd <= m_matchStart) {
        return {};
    }
    return m_subject.substr(m_matchStart, m_matchEnd - m_matchStart);
}

}  // namespace tarnwick
