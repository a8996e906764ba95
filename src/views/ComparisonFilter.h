#pragma once

#include <QSortFilterProxyModel>

namespace tarnwick {

class ComparisonModel;

// Sorts a comparison by the value of a column and can hide the items that did not change.
class ComparisonFilter : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit ComparisonFilter(ComparisonModel& source, QObject* parent = nullptr);

    void SetChangedOnly(bool changedOnly);
    bool ChangedOnly() const { return m_changedOnly; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    ComparisonModel& m_source;
    bool m_changedOnly = false;
};

}  // namespace tarnwick
