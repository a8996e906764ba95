#include "store/Store.h"

#include <array>
#include <cstddef>
#include <mutex>
#include <type_traits>
#include <utility>
#include <variant>

namespace tarnwick {

namespace {

// One description of each table's columns serves both its writer and its reader, so the two
// cannot drift apart.
template <typename Row>
using Member =
    std::variant<std::string Row::*, std::int32_t Row::*, double Row::*, DateTime Row::*>;

template <typename Row>
struct Column {
    const char* name;
    Member<Row> member;
};

const std::array<Column<ShopRow>, 17> kShopColumns = {{
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

const std::array<Column<ItemRow>, 13> kItemColumns = {{
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

const std::array<Column<BuyerRow>, 13> kBuyerColumns = {{
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

const std::array<Column<RateRow>, 10> kRateColumns = {{
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

const std::array<Column<RunHealthRow>, 24> kRunHealthColumns = {{
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

template <typename Row, std::size_t N>
std::string InsertSql(const char* table, const std::array<Column<Row>, N>& columns) {
    std::string names;
    std::string values;
    for (const Column<Row>& column : columns) {
        names += names.empty() ? "" : ", ";
        names += column.name;
        values += values.empty() ? "?" : ", ?";
    }
    return std::string("insert into ") + table + " (" + names + ") values (" + values + ")";
}

// Each row is one statement in autocommit, so it is stored the moment it is written and a
// failure later on loses nothing written before it.
template <typename Row, std::size_t N>
void AppendRow(Database& db, const std::string& sql, const std::array<Column<Row>, N>& columns,
               const Row& row) {
    Statement& insert = db.Prepared(sql.c_str());
    for (std::size_t i = 0; i < N; ++i) {
        std::visit([&](auto member) { insert.Bind(static_cast<int>(i + 1), row.*member); },
                   columns[i].member);
    }
    const std::lock_guard lock(db.WriteMutex());
    insert.Run();
}

// A cached statement left part-way through a result would keep its read snapshot open, which
// holds back the engine's checkpoints; so every way out of a read resets it.
class ResetOnExit {
public:
    explicit ResetOnExit(Statement& statement) : m_statement(statement) {}
    ~ResetOnExit() { m_statement.Reset(); }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;

private:
    Statement& m_statement;
};

// Columns are found by name, without regard to case, so a file whose columns stand in another
// order still reads right; a missing one fails like the engine's own complaint about it.
template <typename Row, std::size_t N>
std::vector<Row> ReadRows(Statement& query, const std::array<Column<Row>, N>& columns) {
    const ResetOnExit reset(query);
    std::vector<Row> rows;
    std::array<int, N> index{};
    bool located = false;
    while (query.Step()) {
        if (!located) {
            for (std::size_t i = 0; i < N; ++i) {
                index[i] = query.ColumnIndex(columns[i].name);
                if (index[i] < 0) {
                    throw DatabaseError(std::string("no such column: ") + columns[i].name);
                }
            }
            located = true;
        }
        Row& row = rows.emplace_back();
        for (std::size_t i = 0; i < N; ++i) {
            std::visit(
                [&](auto member) {
                    using Value = std::remove_reference_t<decltype(row.*member)>;
                    if constexpr (std::is_same_v<Value, std::string>) {
                        row.*member = query.Text(index[i]);
                    } else if constexpr (std::is_same_v<Value, std::int32_t>) {
                        row.*member = query.Int(index[i]);
                    } else if constexpr (std::is_same_v<Value, double>) {
                        row.*member = query.Real(index[i]);
                    } else {
                        row.*member = query.Time(index[i]);
                    }
                },
                columns[i].member);
        }
    }
    return rows;
}

}  // namespace

Store::Store(Database db) : m_db(std::move(db)) {
}

void Store::AppendShop(const ShopRow& row) {
    static const std::string sql = InsertSql("ShopList", kShopColumns);
    AppendRow(m_db, sql, kShopColumns, row);
}

void Store::AppendItem(const ItemRow& row) {
    static const std::string sql = InsertSql("ItemList", kItemColumns);
    AppendRow(m_db, sql, kItemColumns, row);
}

void Store::AppendBuyer(const BuyerRow& row) {
    static const std::string sql = InsertSql("BuyerList", kBuyerColumns);
    AppendRow(m_db, sql, kBuyerColumns, row);
}

void Store::AppendRate(const RateRow& row) {
    static const std::string sql = InsertSql("RateList", kRateColumns);
    AppendRow(m_db, sql, kRateColumns, row);
}

std::vector<ShopRow> Store::ReadShops() {
    return ReadRows(m_db.Prepared("select * from ShopList order by AddTime desc"), kShopColumns);
}

std::vector<ItemRow> Store::ReadItems(std::string_view sid, std::optional<DateTime> lastSellFrom) {
    if (!lastSellFrom) {
        Statement& query = m_db.Prepared("select * from ItemList where sid=?");
        query.Bind(1, sid);
        return ReadRows(query, kItemColumns);
    }
    Statement& query = m_db.Prepared("select * from ItemList where sid=? and lastSell>=?");
    query.Bind(1, sid).Bind(2, *lastSellFrom);
    return ReadRows(query, kItemColumns);
}

std::vector<BuyerRow> Store::ReadBuyers(std::string_view sid, std::string_view itemid,
                                        std::optional<DateTime> buytimeFrom) {
    if (!buytimeFrom) {
        Statement& query =
            m_db.Prepared("select * from BuyerList where sid=? and itemid=? order by buytime desc");
        query.Bind(1, sid).Bind(2, itemid);
        return ReadRows(query, kBuyerColumns);
    }
    Statement& query = m_db.Prepared(
        "select * from BuyerList where sid=? and itemid=? and buytime>=? order by buytime desc");
    query.Bind(1, sid).Bind(2, itemid).Bind(3, *buytimeFrom);
    return ReadRows(query, kBuyerColumns);
}

std::vector<RateRow> Store::ReadRates(std::string_view sid, std::string_view itemid,
                                      std::optional<DateTime> rateDateFrom) {
    if (!rateDateFrom) {
        Statement& query =
            m_db.Prepared("select * from RateList where sid=? and itemid=? order by rateDate desc");
        query.Bind(1, sid).Bind(2, itemid);
        return ReadRows(query, kRateColumns);
    }
    Statement& query = m_db.Prepared(
        "select * from RateList where sid=? and itemid=? and rateDate>=? order by rateDate desc");
    query.Bind(1, sid).Bind(2, itemid).Bind(3, *rateDateFrom);
    return ReadRows(query, kRateColumns);
}

void Store::DeleteShop(std::string_view sid) {
    // Each delete stands alone, as the rows were written: a failure leaves the tables after it
    // as they were and the ones before it already emptied of the run.
    static constexpr const char* kDeletes[] = {
        "delete from ShopList where SID=?",
        "delete from BuyerList where SID=?",
        "delete from RateList where SID=?",
        "delete from ItemList where SID=?",
    };
    for (const char* sql : kDeletes) {
        Statement& statement = m_db.Prepared(sql);
        statement.Bind(1, sid);
        const std::lock_guard lock(m_db.WriteMutex());
        statement.Run();
    }
    // The run's health goes with it, last, so a failure above leaves it describing rows that
    // are still there.
    if (HasRunHealthTable()) {
        Statement& statement = m_db.Prepared("delete from RunHealth where sid=?");
        statement.Bind(1, sid);
        const std::lock_guard lock(m_db.WriteMutex());
        statement.Run();
    }
}

bool Store::HasRunHealthTable() {
    Statement& query = m_db.Prepared(
        "select count(*) from sqlite_master where type='table' and name='RunHealth' collate "
        "nocase");
    const ResetOnExit reset(query);
    return query.Step() && query.Int(0) > 0;
}

void Store::AppendRunHealth(const RunHealthRow& row) {
    if (!HasRunHealthTable()) {
        return;
    }
    static const std::string sql = InsertSql("RunHealth", kRunHealthColumns);
    AppendRow(m_db, sql, kRunHealthColumns, row);
}

std::vector<RunHealthRow> Store::ReadRunHealth() {
    if (!HasRunHealthTable()) {
        return {};
    }
    return ReadRows(m_db.Prepared("select * from RunHealth"), kRunHealthColumns);
}

std::optional<RunHealthRow> Store::ReadRunHealth(std::string_view sid) {
    if (!HasRunHealthTable()) {
        return std::nullopt;
    }
    Statement& query = m_db.Prepared("select * from RunHealth where sid=?");
    query.Bind(1, sid);
    std::vector<RunHealthRow> rows = ReadRows(query, kRunHealthColumns);
    if (rows.empty()) {
        return std::nullopt;
    }
    return rows.back();
}

void Store::CheckItemsTable() {
    Statement query(m_db.Handle(), "select * from Items where 1=2");
    query.Run();
}

}  // namespace tarnwick
