#include "store/Store.h"

#include <utility>

#include "store/PostgresStore.h"
#include "store/SqliteStore.h"
#include "store/StoreSource.h"

namespace tarnwick {

Store::Store(Database db) : m_backend(std::make_unique<SqliteStore>(std::move(db))) {
}

Store::Store(std::unique_ptr<StoreBackend> backend) : m_backend(std::move(backend)) {
}

Store Store::Open(const StoreSource& source) {
    if (source.IsServer()) {
        return Store(std::make_unique<PostgresStore>(PgConnection::Open(source.Location())));
    }
    return Store(Database::Open(source.Location()));
}

Store::Store(Store&& other) noexcept = default;
Store& Store::operator=(Store&& other) noexcept = default;
Store::~Store() = default;

Database& Store::Connection() {
    auto* file = dynamic_cast<SqliteStore*>(m_backend.get());
    if (file == nullptr) {
        throw DatabaseError("the analyses are kept on a database server, not in a file");
    }
    return file->Connection();
}

std::vector<ItemRow> Store::ReadItems(std::string_view sid, std::optional<DateTime> lastSellFrom) {
    return m_backend->ReadItems(sid, lastSellFrom);
}

std::vector<BuyerRow> Store::ReadBuyers(std::string_view sid, std::string_view itemid,
                                        std::optional<DateTime> buytimeFrom) {
    return m_backend->ReadBuyers(sid, itemid, buytimeFrom);
}

std::vector<RateRow> Store::ReadRates(std::string_view sid, std::string_view itemid,
                                      std::optional<DateTime> rateDateFrom) {
    return m_backend->ReadRates(sid, itemid, rateDateFrom);
}

bool Store::HasRunHealthTable() {
    return m_backend->HasRunHealthTable();
}

void Store::AppendRunHealth(const RunHealthRow& row) {
    if (m_backend->HasRunHealthTable()) {
        m_backend->AppendRunHealth(row);
    }
}

std::vector<RunHealthRow> Store::ReadRunHealth() {
    if (!m_backend->HasRunHealthTable()) {
        return {};
    }
    return m_backend->ReadRunHealth(std::nullopt);
}

std::optional<RunHealthRow> Store::ReadRunHealth(std::string_view sid) {
    if (!m_backend->HasRunHealthTable()) {
        return std::nullopt;
    }
    std::vector<RunHealthRow> rows = m_backend->ReadRunHealth(sid);
    if (rows.empty()) {
        return std::nullopt;
    }
    return rows.back();
}

bool Store::OutcomeTables() {
    if (!m_outcomeTables) {
        m_outcomeTables = m_backend->HasRunOutcomeTables();
    }
    return *m_outcomeTables;
}

void Store::BeginRunOutcome(const RunOutcomeRow& row) {
    if (OutcomeTables()) {
        m_backend->AppendRunOutcome(row);
    }
}

void Store::EndRunOutcome(const RunOutcomeRow& row) {
    if (OutcomeTables() && !m_backend->UpdateRunOutcome(row)) {
        m_backend->AppendRunOutcome(row);
    }
}

std::vector<RunOutcomeRow> Store::ReadRunOutcomes() {
    if (!OutcomeTables()) {
        return {};
    }
    return m_backend->ReadRunOutcomes(std::nullopt);
}

std::optional<RunOutcomeRow> Store::ReadRunOutcome(std::string_view sid) {
    if (!OutcomeTables()) {
        return std::nullopt;
    }
    std::vector<RunOutcomeRow> rows = m_backend->ReadRunOutcomes(sid);
    if (rows.empty()) {
        return std::nullopt;
    }
    return rows.back();
}

void Store::AppendItemRead(const ItemReadRow& row) {
    if (OutcomeTables()) {
        m_backend->AppendItemRead(row);
    }
}

std::vector<ItemReadRow> Store::ReadItemReads(std::string_view sid) {
    if (!OutcomeTables()) {
        return {};
    }
    return m_backend->ReadItemReads(sid);
}

}  // namespace tarnwick
