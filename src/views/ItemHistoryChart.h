#pragma once

#include <string>
#include <vector>

#include <QChartView>

#include "analysis/ItemHistory.h"

class QLineSeries;
class QCategoryAxis;
class QValueAxis;

namespace tarnwick {

// An item's price and sold count over the runs of its shop: price on the left scale, sold
// count on the right, one step along the bottom per run, labelled with its time. Runs stand
// evenly apart whatever lies between them, so that two runs an hour apart and a third a week
// later all stay readable. Runs that did not list the item keep their step but leave no point,
// so the lines join the runs that did.
class ItemHistoryChart : public QChartView {
    Q_OBJECT

public:
    explicit ItemHistoryChart(QWidget* parent = nullptr);

    void ShowHistory(const std::string& title, const std::vector<HistoryPoint>& points);
    void Clear();

    const QLineSeries& PriceSeries() const { return *m_price; }
    const QLineSeries& SoldSeries() const { return *m_sold; }
    // The whole title of the item shown, as stored; the chart shows it cut to its width.
    QString Title() const { return m_title; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void ShowTitle();

    QString m_title;
    QLineSeries* m_price;  // owned by the chart
    QLineSeries* m_sold;
    QCategoryAxis* m_runs;
    QValueAxis* m_priceAxis;
    QValueAxis* m_soldAxis;
};

}  // namespace tarnwick
