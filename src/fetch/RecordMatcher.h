#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarnwick {

class PatternError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A search that PCRE2 gave up on (a resource limit, no memory) rather than one that found
// nothing: the records after that point would be lost, so it is not reported as "no match".
class MatchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Walks the successive, non-overlapping matches of one regular expression over a text: one
// match per repeated record of a page (a list entry, a table row, a JSON object). Byte mode,
// dot matches line breaks, ^ and $ match at line breaks, case-sensitive.
class RecordMatcher {
public:
    RecordMatcher();
    ~RecordMatcher();
    RecordMatcher(RecordMatcher&&) noexcept;
    RecordMatcher& operator=(RecordMatcher&&) noexcept;

    void SetSubject(std::string subject);       // restarts the walk at the first byte
    void SetPattern(std::string_view pattern);  // compiled on the next FindNext after a change
    // Throws PatternError when the pattern does not compile, MatchError when the search fails.
    bool FindNext();
    std::string MatchedText() const;  // only after a FindNext that returned true

private:
    struct Compiled;
    std::string m_subject;
    std::string m_pattern;
    std::unique_ptr<Compiled> m_compiled;
    std::size_t m_searchStart = 0;
    std::size_t m_matchStart = 0;
    std::size_t m_matchEnd = 0;
    bool m_haveMatch = false;
};

}  // namespace tarnwick
