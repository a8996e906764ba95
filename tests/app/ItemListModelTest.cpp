#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <variant>

#include "views/ItemListModel.h"

namespace tarnwick::test {
namespace {

ItemRow MakeItem(const std::string& id, double price, double total) {
    ItemRow item;
    item.sid = "S1";
    item.ItemID = id;
    item.title = "宝贝" + id;
    item.price = price;
    item.SellAmount = total;
    item.sellcount = 4;
    item.allow_quantity = 9;
    item.Commentcount = 2;
    item.pv = 77;
    item.UpdateTime = DateTime::FromParts({2026, 3, 4, 5, 6, 7, 890});
    return item;
}

std::vector<bool> Checks(const ItemListModel& model) {
    std::vector<bool> checks;
    for (int row = 0; row < model.Count(); ++row) {
        checks.push_back(model.Checked(row));
    }
    return checks;
}

TEST(ItemListModelTest, OnlyTheCheckColumnCanBeChanged) {
    ItemListModel model;
    model.Fill({MakeItem("1", 1, 1)});
    EXPECT_TRUE(model.flags(model.index(0, ItemListModel::cxCheck)) & Qt::ItemIsUserCheckable);
    for (int column = 1; column < 10; ++column) {
        EXPECT_FALSE(model.flags(model.index(0, column)) &
                     (Qt::ItemIsUserCheckable | Qt::ItemIsEditable));
        EXPECT_FALSE(model.setData(model.index(0, column), Qt::Unchecked, Qt::CheckStateRole));
    }
    EXPECT_FALSE(model.setData(model.index(0, 0), "x", Qt::EditRole));
    EXPECT_TRUE(model.setData(model.index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(model.Checked(0));
}

TEST(ItemListModelTest, ExportRowsFollowTheListAndItsChecks) {
    ItemListModel model;
    model.Fill({MakeItem("21", 3, 30), MakeItem("22", 4, 40), MakeItem("23", 5, 50)});
    model.SetChecked(1, false);
    auto rows = model.SheetRows();
    ASSERT_EQ(rows.size(), 3u);
    for (int row = 0; row < 3; ++row) {
        ASSERT_EQ(rows[row].size(), 10u);
        EXPECT_EQ(std::get<bool>(rows[row][0]), row != 1);
        EXPECT_DOUBLE_EQ(std::get<double>(rows[row][1]), row + 1);
        EXPECT_EQ(std::get<std::string>(rows[row][2]), "宝贝2" + std::to_string(row + 1));
    }
    using Key = std::pair<std::string, std::string>;
    EXPECT_EQ(model.CheckedItems(), (std::vector<Key>{{"S1", "21"}, {"S1", "23"}}));

    // A new fill checks everything again.
    model.Fill({MakeItem("31", 1, 1)});
    EXPECT_EQ(Checks(model), (std::vector<bool>{true}));
}

}  // namespace
}  // namespace tarnwick::test
