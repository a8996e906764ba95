#include "views/ItemHistoryChart.h"

#include <algorithm>
#include <cmath>

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>

#include "views/CellText.h"

namespace tarnwick {

namespace {

// Run times are local times without a zone, like every time of the database.
qint64 Milliseconds(DateTime time) {
    const DateTime::Parts p = time.Split();
    const QDateTime local(QDate(p.year, p.month, p.day),
                          QTime(p.hour, p.minute, p.second, p.millisecond));
    return local.toMSecsSinceEpoch();
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
    m_sold = new QLineSeries;
    m_sold->setName(tr("30天售"));
    m_sold->setPointsVisible(true);
    chart->addSeries(m_price);
    chart->addSeries(m_sold);

    m_time = new QDateTimeAxis;
    m_time->setFormat(QStringLiteral("MM-dd hh:mm"));
    m_time->setTitleText(tr("分析时间"));
    m_priceAxis = new QValueAxis;
    m_priceAxis->setTitleText(tr("价格"));
    m_priceAxis->setLabelFormat(QStringLiteral("%.2f"));
    m_soldAxis = new QValueAxis;
    m_soldAxis->setTitleText(tr("30天售"));
    m_soldAxis->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(m_time, Qt::AlignBottom);
    chart->addAxis(m_priceAxis, Qt::AlignLeft);
    chart->addAxis(m_soldAxis, Qt::AlignRight);
    m_price->attachAxis(m_time);
    m_price->attachAxis(m_priceAxis);
    m_sold->attachAxis(m_time);
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
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    m_time->setRange(QDateTime::fromMSecsSinceEpoch(now - 86400000),
                     QDateTime::fromMSecsSinceEpoch(now));
    m_priceAxis->setRange(0, 1);
    m_soldAxis->setRange(0, 1);
}

void ItemHistoryChart::ShowHistory(const std::string& title,
                                   const std::vector<HistoryPoint>& points) {
    QList<QPointF> prices;
    QList<QPointF> sold;
    for (const HistoryPoint& point : points) {
        if (!point.listed) {
            continue;
        }
        const auto x = static_cast<qreal>(Milliseconds(point.runTime));
        prices.append(QPointF(x, point.price));
        sold.append(QPointF(x, point.sellcount));
    }
    m_price->replace(prices);
    m_sold->replace(sold);
    chart()->setTitle(Utf8Text(title));
    if (prices.isEmpty()) {
        return;
    }
    const auto [firstX, lastX] =
        std::minmax_element(prices.begin(), prices.end(),
                            [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    // A single run still needs a span of time to be drawn in.
    const qint64 from = static_cast<qint64>(firstX->x()) - 3600000;
    const qint64 to = static_cast<qint64>(lastX->x()) + 3600000;
    m_time->setRange(QDateTime::fromMSecsSinceEpoch(from), QDateTime::fromMSecsSinceEpoch(to));
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
