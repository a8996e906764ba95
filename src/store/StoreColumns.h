#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "base/DateTime.h"
#include "store/Rows.h"

namespace tarnwick {

// One description of each table's columns serves the writers and the readers of both engines,
// so none of them can drift apart from the others.
template <typename Row>
using Member =
    std::variant<std::string Row::*, std::int32_t Row::*, double Row::*, DateTime Row::*>;

template <typename Row>
struct Column {
    const char* name;
    Member<Row> member;
};

inline const std::array<Column<ShopRow>, 17> kShopColumns = {{
    {"SID", &ShopRow::SID},
    {"OwnerID", &ShopRow::OwnerID},
    {"ShopURL", &ShopRow::ShopURL},
    {"WWName", &ShopRow::WWName},
    {"Seller_Credit", &ShopRow::Seller_Credit},
    {"Buyer_Credit", &ShopRow::Buyer_Credit},
    {"Seller_Rate", &ShopRow::Seller_Rate},
    {"Buyer_Rate", &ShopRow::Buyer_Rate},
    {"Grade_Item", &ShopRow::Grade_Item},
    {"Grade_Service", &ShopRow::Grade_Service},
    {"Grade_Consignment", &ShopRow::Grade_Consignment},
    {"ItemCount", &ShopRow::ItemCount},
    {"ShopCreate", &ShopRow::ShopCreate},
    {"City", &ShopRow::City},
    {"FavoriteCount", &ShopRow::FavoriteCount},
    {"AddTime", &ShopRow::AddTime},
    {"ReadType", &ShopRow::ReadType},
}};

inline const std::array<Column<ItemRow>, 13> kItemColumns = {{
    {"sid", &ItemRow::sid},
    {"ItemID", &ItemRow::ItemID},
    {"title", &ItemRow::title},
    {"price", &ItemRow::price},
    {"BuyerCount", &ItemRow::BuyerCount},
    {"sellcount", &ItemRow::sellcount},
    {"SellAmount", &ItemRow::SellAmount},
    {"Commentcount", &ItemRow::Commentcount},
    {"pv", &ItemRow::pv},
    {"allow_quantity", &ItemRow::allow_quantity},
    {"UpdateTime", &ItemRow::UpdateTime},
    {"lastSell", &ItemRow::lastSell},
    {"lastComment", &ItemRow::lastComment},
}};

inline const std::array<Column<BuyerRow>, 13> kBuyerColumns = {{
    {"sid", &BuyerRow::sid},
    {"itemid", &BuyerRow::itemid},
    {"Buyer", &BuyerRow::Buyer},
    {"usertype", &BuyerRow::usertype},
    {"buyer_credit", &BuyerRow::buyer_credit},
    {"buyer_credit_str", &BuyerRow::buyer_credit_str},
    {"userclass", &BuyerRow::userclass},
    {"price", &BuyerRow::price},
    {"amount", &BuyerRow::amount},
    {"buytime", &BuyerRow::buytime},
    {"sku", &BuyerRow::sku},
    {"sellamount", &BuyerRow::sellamount},
    {"AddTime", &BuyerRow::AddTime},
}};

inline const std::array<Column<RateRow>, 10> kRateColumns = {{
    {"sid", &RateRow::sid},
    {"itemid", &RateRow::itemid},
    {"rateContent", &RateRow::rateContent},
    {"userVipLevel", &RateRow::userVipLevel},
    {"displayUserNick", &RateRow::displayUserNick},
    {"CommentID", &RateRow::CommentID},
    {"displayRatePic", &RateRow::displayRatePic},
    {"rateDate", &RateRow::rateDate},
    {"User_RateSum", &RateRow::User_RateSum},
    {"AddTime", &RateRow::AddTime},
}};

inline const std::array<Column<RunHealthRow>, 24> kRunHealthColumns = {{
    {"sid", &RunHealthRow::sid},
    {"verdict", &RunHealthRow::verdict},
    {"started", &RunHealthRow::started},
    {"ended", &RunHealthRow::ended},
    {"requests", &RunHealthRow::requests},
    {"httpErrors", &RunHealthRow::httpErrors},
    {"networkErrors", &RunHealthRow::networkErrors},
    {"timeouts", &RunHealthRow::timeouts},
    {"tooLarge", &RunHealthRow::tooLarge},
    {"loginPages", &RunHealthRow::loginPages},
    {"verificationPages", &RunHealthRow::verificationPages},
    {"shapeless", &RunHealthRow::shapeless},
    {"failedCard", &RunHealthRow::failedCard},
    {"failedListing", &RunHealthRow::failedListing},
    {"failedItem", &RunHealthRow::failedItem},
    {"failedSold", &RunHealthRow::failedSold},
    {"failedViews", &RunHealthRow::failedViews},
    {"failedDeals", &RunHealthRow::failedDeals},
    {"failedReviews", &RunHealthRow::failedReviews},
    {"detail", &RunHealthRow::detail},
    {"blockedAtRequest", &RunHealthRow::blockedAtRequest},
    {"blockedAt", &RunHealthRow::blockedAt},
    {"stoppedEarly", &RunHealthRow::stoppedEarly},
    {"reasons", &RunHealthRow::reasons},
}};

inline const std::array<Column<RunOutcomeRow>, 14> kRunOutcomeColumns = {{
    {"sid", &RunOutcomeRow::sid},
    {"outcome", &RunOutcomeRow::outcome},
    {"started", &RunOutcomeRow::started},
    {"ended", &RunOutcomeRow::ended},
    {"listPages", &RunOutcomeRow::listPages},
    {"listPagesRead", &RunOutcomeRow::listPagesRead},
    {"listComplete", &RunOutcomeRow::listComplete},
    {"itemsListed", &RunOutcomeRow::itemsListed},
    {"itemsQueued", &RunOutcomeRow::itemsQueued},
    {"itemsRead", &RunOutcomeRow::itemsRead},
    {"itemsNotRead", &RunOutcomeRow::itemsNotRead},
    {"ratePauses", &RunOutcomeRow::ratePauses},
    {"ratePausedMs", &RunOutcomeRow::ratePausedMs},
    {"detail", &RunOutcomeRow::detail},
}};

inline const std::array<Column<ItemReadRow>, 5> kItemReadColumns = {{
    {"sid", &ItemReadRow::sid},
    {"seq", &ItemReadRow::seq},
    {"ItemID", &ItemReadRow::ItemID},
    {"state", &ItemReadRow::state},
    {"answer", &ItemReadRow::answer},
}};

// The row's values, column `from` on, appended to `values` in the order of the columns: the
// parameters of InsertSql's statement (or, from 1, of InsertWithoutKeySql's). Text is viewed in
// the row, which must outlive the statement's run.
template <typename Row, std::size_t N>
void AppendValues(std::vector<SqlValue>& values, const std::array<Column<Row>, N>& columns,
                  const Row& row, std::size_t from = 0) {
    for (std::size_t i = from; i < N; ++i) {
        std::visit(
            [&](auto member) {
                using Value = std::remove_cvref_t<decltype(row.*member)>;
                if constexpr (std::is_same_v<Value, std::string>) {
                    values.emplace_back(std::string_view(row.*member));
                } else {
                    values.emplace_back(row.*member);
                }
            },
            columns[i].member);
    }
}

template <typename Row, std::size_t N>
std::vector<SqlValue> ValuesOf(const std::array<Column<Row>, N>& columns, const Row& row,
                               std::size_t from = 0) {
    std::vector<SqlValue> values;
    values.reserve(N - from);
    AppendValues(values, columns, row, from);
    return values;
}

// The placeholder the statements are written with; the server's store renumbers them.
inline const char* Question(int) {
    return "?";
}

// "update Table set b = ?, c = ? where a = ?": every column but the first, keyed by the first,
// whose parameter comes last.
template <typename Row, std::size_t N, typename Placeholder>
std::string UpdateByFirstSql(const char* table, const std::array<Column<Row>, N>& columns,
                             Placeholder placeholder) {
    std::string sets;
    for (std::size_t i = 1; i < N; ++i) {
        sets += i == 1 ? "" : ", ";
        sets += std::string(columns[i].name) + " = " + placeholder(static_cast<int>(i));
    }
    return std::string("update ") + table + " set " + sets + " where " + columns[0].name + " = " +
           placeholder(static_cast<int>(N));
}

// "insert into Table (a, b) values (?, ?)", with `rows` groups of values for as many rows;
// `placeholder` gives the engine's spelling of the n-th parameter (counting from 1, row after
// row).
template <typename Row, std::size_t N, typename Placeholder>
std::string InsertSql(const char* table, const std::array<Column<Row>, N>& columns,
                      Placeholder placeholder, std::size_t rows = 1) {
    std::string names;
    for (std::size_t i = 0; i < N; ++i) {
        names += i == 0 ? "" : ", ";
        names += columns[i].name;
    }
    std::string sql = std::string("insert into ") + table + " (" + names + ") values ";
    for (std::size_t r = 0; r < rows; ++r) {
        sql += r == 0 ? "(" : ", (";
        for (std::size_t i = 0; i < N; ++i) {
            sql += i == 0 ? "" : ", ";
            sql += placeholder(static_cast<int>(r * N + i + 1));
        }
        sql += ")";
    }
    return sql;
}

}  // namespace tarnwick
