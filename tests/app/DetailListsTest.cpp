#include <gtest/gtest.h>

#include "QtPrinters.h"

#include "views/DetailLists.h"

namespace tarnwick::test {
namespace {

TEST(DetailListsTest, CountLinesSayHowManyAndHowMuch) {
    struct Case {
        std::size_t count;
        double total;
        const char* buyers;
        const char* comments;
    };
    const Case cases[] = {
        {0, 0.0, "共有 0 条记录. 总额 0.00 元。", "共有 0 条记录."},
        {1, 12.5, "共有 1 条记录. 总额 12.50 元。", "共有 1 条记录."},
        {50000, 1234567.891, "共有 50000 条记录. 总额 1234567.89 元。", "共有 50000 条记录."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BuyerCountText(c.count, c.total), QString::fromUtf8(c.buyers));
        EXPECT_EQ(CommentCountText(c.count), QString::fromUtf8(c.comments));
    }
}

}  // namespace
}  // namespace tarnwick::test
