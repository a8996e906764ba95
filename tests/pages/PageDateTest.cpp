#include "pages/PageDate.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

using Parts = DateTime::Parts;

struct PageCase {
    const char* text;
    Parts expected;
};

TEST(ReadPageDateTime, ReadsEachPartByPositionWithItsDefault) {
    const PageCase cases[] = {
        {"2012-04-05 10:20:33", {2012, 4, 5, 10, 20, 33, 0}},
        {"2012-04-05 10:20", {2012, 4, 5, 10, 20, 0, 0}},
        {"2012-04-05 10:2", {2012, 4, 5, 10, 2, 0, 0}},
        {"2012-04-05", {2012, 4, 5, 0, 0, 0, 0}},
        {"2012-04", {2012, 4, 1, 0, 0, 0, 0}},
        {"2012", {2012, 1, 1, 0, 0, 0, 0}},
        {"", {1900, 1, 1, 0, 0, 0, 0}},
        {"abcd-04-05 10:20:33", {1900, 4, 5, 10, 20, 33, 0}},
        {"2012-xx-05 10:20:33", {2012, 1, 5, 10, 20, 33, 0}},
        {"2012- 4- 5  9: 5: 7", {2012, 4, 5, 9, 5, 7, 0}},
        {"2012-+4-05", {2012, 4, 5, 0, 0, 0, 0}},
        // Unpadded parts shift the positions: "4-" and "2:" are not numbers.
        {"2012-4-5 1:2:3", {2012, 1, 1, 0, 0, 0, 0}},
        {"2012-04-05 10:20:33.789 more", {2012, 4, 5, 10, 20, 33, 0}},
        {"2012/04/05 10.20.33", {2012, 4, 5, 10, 20, 33, 0}},
    };
    for (const PageCase& c : cases) {
        EXPECT_TRUE(ReadPageDateTime(c.text).Split() == c.expected)
            << "'" << c.text << "' read as " << ReadPageDateTime(c.text).ToText();
    }
}

TEST(ReadPageDateTime, InvalidCombinationsThrow) {
    const char* invalid[] = {
        "2012-13-05 10:20:33",
        "2012-02-30 00:00:00",
        "2013-02-29",
        "2012-04-31",
        "2012-04-05 24:00:00",
        "2012-04-05 10:60:00",
        "2012-04-05 10:20:60",
        "0000-01-01",
        "2012-00-05",
        "2012--4-05",
        "2012-0",  // the month is read from what is left of the text: "0"
    };
    for (const char* text : invalid) {
        EXPECT_THROW(ReadPageDateTime(text), InvalidDateTime) << "'" << text << "'";
    }
}

}  // namespace
}  // namespace tarnwick
