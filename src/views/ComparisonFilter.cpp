#include "views/ComparisonFilter.h"

#include "views/ComparisonModel.h"

namespace tarnwick {

ComparisonFilter::ComparisonFilter(ComparisonModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), m_source(source) {
    setSourceModel(&source);
    setSortRole(ComparisonModel::kSortRole);
    setSortLocaleAware(true);
}

void ComparisonFilter::SetChangedOnly(bool changedOnly) {
    if (changedOnly == m_changedOnly) {
        return;
    }
    m_changedOnly = changedOnly;
    invalidateRowsFilter();
}

bool ComparisonFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (sourceParent.isValid() || sourceRow >= m_source.Count()) {
        return false;
    }
    return !m_changedOnly || m_source.Item(sourceRow).Changed();
}

}  // namespace tarnwick
