#pragma once

#include <string>
#include <vector>

#include <QChartView>

#include "analysis/ItemHistory.h"

class QLineSeries;
class QCategoryAxis;

namespace tarnwick {

// A value axis whose ticks fall on round values: min and max are multiples of step, and the
// ticks are min, min + step, ... max.
struct AxisScale {
    double min = 0;
    double max = 1;
    double step = 1;
    int ticks = 2;
};

// The scale for values from low to high with about four steps of 1, 2 or 5 times a power of
// ten, whole steps when `whole`. A flat series (low == high) is drawn against zero with its
// line at `flatAt` of the height, so that two flat series on one chart stay apart.
AxisScale NiceScale(double low, double high, bool whole, double flatAt = 0.5);

// Where a flat price line and a flat sold-count line lie, as shares of the plot's height.
inline constexpr double kFlatPriceAt = 0.8;
inline constexpr double kFlatSoldAt = 0.45;

// An item's price and sold count over the runs of its shop: price on the left scale in yuan,
// sold count on the right in whole numbers, one step along the bottom per run, labelled with
// its time, a marker at every run and a legend below. Runs stand
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
    QCategoryAxis* m_priceAxis;
    QCategoryAxis* m_soldAxis;
};

}  // namespace tarnwick
