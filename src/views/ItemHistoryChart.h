#pragma once

#include <string>
#include <vector>

#include <QChartView>

#include "analysis/ItemHistory.h"

class QLineSeries;
class QDateTimeAxis;
class QValueAxis;

namespace tarnwick {

// An item's price and sold count over the runs of its shop: price on the left scale, sold
// count on the right, run times along the bottom. Runs that did not list the item leave no
// point, so the lines join the runs that did.
class ItemHistoryChart : public QChartView {
    Q_OBJECT

public:
    explicit ItemHistoryChart(QWidget* parent = nullptr);

    void ShowHistory(const std::string& title, const std::vector<HistoryPoint>& points);
    void Clear();

    const QLineSeries& PriceSeries() const { return *m_price; }
    const QLineSeries& SoldSeries() const { return *m_sold; }
    QString Title() const;

private:
    QLineSeries* m_price;  // owned by the chart
    QLineSeries* m_sold;
    QDateTimeAxis* m_time;
    QValueAxis* m_priceAxis;
    QValueAxis* m_soldAxis;
};

}  // namespace tarnwick
