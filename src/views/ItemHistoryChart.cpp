#include "views/ItemHistoryChart.h"

#include <algorithm>
#include <cmath>

#include <QCategoryAxis>
#include <QChart>
#include <QLineSeries>
#include <QPainter>
#include <QPen>
#include <QValueAxis>

#include "views/CellText.h"

namespace tarnwick {

namespace {

QString RunLabel(DateTime time) {
    const DateTime::Parts p = time.Split();
    return QString::asprintf("%02d-%02d %02d:%02d", p.month, p.day, p.hour, p.minute);
}

// A scale around the values with some room above and below, so a flat line does not lie on
// the frame.
void Fit(QValueAxis& axis, double low, double high) {
    const double room = high > low ? (high - low) * 0.1 : std::max(1.0, std::abs(high) * 0.1);
    axis.setRange(std::max(0.0, low - room), high + room);
}

}  // namespace

ItemHistoryChart::ItemHistoryChart(QWidget* parent) : QChartView(parent) {
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    m_price = new QLineSeries;
    m_price->setName(tr("价格"));
    m_price->setPointsVisible(true);
    m_price->setPen(QPen(QColor(0x1F, 0x77, 0xB4), 2));
    m_sold = new QLineSeries;
    m_sold->setName(tr("30天售"));
    m_sold->setPointsVisible(true);
    m_sold->setPen(QPen(QColor(0xFF, 0x7F, 0x0E), 2));
    chart->addSeries(m_price);
    chart->addSeries(m_sold);

    m_runs = new QCategoryAxis;
    m_runs->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_runs->setTitleText(tr("分析时间"));
    m_priceAxis = new QValueAxis;
    m_priceAxis->setTitleText(tr("价格"));
    m_priceAxis->setLabelFormat(QStringLiteral("%.2f"));
    m_soldAxis = new QValueAxis;
    m_soldAxis->setTitleText(tr("30天售"));
    m_soldAxis->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(m_runs, Qt::AlignBottom);
    chart->addAxis(m_priceAxis, Qt::AlignLeft);
    chart->addAxis(m_soldAxis, Qt::AlignRight);
    m_price->attachAxis(m_runs);
    m_price->attachAxis(m_priceAxis);
    m_sold->attachAxis(m_runs);
    m_sold->attachAxis(m_soldAxis);

    setChart(chart);  // the view owns the chart from here on
    setRenderHint(QPainter::Antialiasing);
    setMinimumHeight(200);
    Clear();
}

void ItemHistoryChart::Clear() {
    m_price->clear();
    m_sold->clear();
    chart()->setTitle(tr("在对比表中选择一个宝贝，查看它历次分析的走势"));
    for (const QString& label : m_runs->categoriesLabels()) {
        m_runs->remove(label);
    }
    m_runs->setRange(0, 1);
    m_priceAxis->setRange(0, 1);
    m_soldAxis->setRange(0, 1);
}

void ItemHistoryChart::ShowHistory(const std::string& title,
                                   const std::vector<HistoryPoint>& points) {
    Clear();
    QList<QPointF> prices;
    QList<QPointF> sold;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto x = static_cast<qreal>(i);
        // The axis keeps one step per distinct label, and two runs in the same minute would
        // share one: invisible spaces, one more per step, keep them apart.
        m_runs->append(
            RunLabel(points[i].runTime) + QString(static_cast<qsizetype>(i), QChar(0x200B)), x);
        if (points[i].read) {
            prices.append(QPointF(x, points[i].price));
            sold.append(QPointF(x, points[i].sellcount));
        }
    }
    m_price->replace(prices);
    m_sold->replace(sold);
    chart()->setTitle(Utf8Text(title));
    // Half a step of room on either side, so the first and the last point stay off the frame.
    m_runs->setStartValue(-0.5);
    m_runs->setRange(-0.5, points.empty() ? 0.5 : static_cast<qreal>(points.size()) - 0.5);
    if (prices.isEmpty()) {
        return;
    }
    auto byY = [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); };
    const auto [lowPrice, highPrice] = std::minmax_element(prices.begin(), prices.end(), byY);
    Fit(*m_priceAxis, lowPrice->y(), highPrice->y());
    const auto [lowSold, highSold] = std::minmax_element(sold.begin(), sold.end(), byY);
    Fit(*m_soldAxis, lowSold->y(), highSold->y());
}

QString ItemHistoryChart::Title() const {
    return chart()->title();
}

}  // namespace tarnwick
