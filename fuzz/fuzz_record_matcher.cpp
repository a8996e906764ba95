// The three record patterns walked over arbitrary page text: matches come in text order, never
// overlap, each is a whole record, and the walk ends.
#include <cstdlib>
#include <string>

#include "FuzzChecks.h"
#include "fetch/RecordMatcher.h"

namespace {

using tarnwick::fuzz::Require;

struct Pattern {
    const char* expression;
    std::string opening;
    std::string closing;
};

const Pattern kPatterns[] = {
    {R"(\<li\>.*?\<\/li\>)", "<li>", "</li>"},
    {R"(<tr.*?<\/tr>)", "<tr", "</tr>"},
    {R"(\{"rateContent.*?\})", "{\"rateContent", "}"},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    tarnwick::RecordMatcher matcher;
    for (const Pattern& pattern : kPatterns) {
        matcher.SetSubject(text);
        matcher.SetPattern(pattern.expression);
        std::size_t searchFrom = 0;
        std::size_t matches = 0;
        try {
            while (matcher.FindNext()) {
                const std::string record = matcher.MatchedText();
                Require(++matches <= size + 1);
                Require(record.starts_with(pattern.opening));
                Require(record.ends_with(pattern.closing));
                Require(record.size() >= pattern.opening.size() + pattern.closing.size() ||
                        pattern.closing == "}");
                // The first occurrence at or after the end of the previous match.
                const std::size_t at = text.find(record, searchFrom);
                Require(at != std::string::npos);
                Require(text.find(pattern.opening, searchFrom) == at);
                searchFrom = at + record.size();
            }
        } catch (const tarnwick::MatchError&) {
            // PCRE2 gave up on a resource limit: reported, not taken for "no more records".
        }
    }
    return 0;
}
