#include "views/ItemHistoryChart.h"

#include <algorithm>
#include <cmath>

#include <QCategoryAxis>
#include <QChart>
#include <QHelpEvent>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QPen>
#include <QToolTip>

#include "views/CellText.h"
#include "views/PlainText.h"

namespace tarnwick {

namespace {

QString RunLabel(DateTime time) {
    const DateTime::Parts p = time.Split();
    return QString::asprintf("%02d-%02d %02d:%02d", p.month, p.day, p.hour, p.minute);
}

// A marker drawn at each run's point, so that the runs read as points and not only as a line,
// and the two series differ in shape as well as in colour.
constexpr int kMarkerSize = 9;

QImage Marker(const QColor& colour, bool square) {
    constexpr int kSize = kMarkerSize;
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour.darker(140), 1));
    painter.setBrush(colour);
    const QRectF box(0.5, 0.5, kSize - 1, kSize - 1);
    if (square) {
        painter.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
    } else {
        painter.drawEllipse(box);
    }
    return image;
}

// The scale's ticks as labels of our own: the chart's number formats take ASCII only, so "¥"
// could not be part of one, and "%d" on a tick that is not whole rounds it onto its
// neighbour's label.
void Apply(QCategoryAxis& axis, const AxisScale& scale, const QString& unit, int decimals) {
    for (const QString& label : axis.categoriesLabels()) {
        axis.remove(label);
    }
    // Each label stands at the end of its category; the first category begins below the range.
    axis.setStartValue(scale.min - scale.step);
    for (int i = 0; i < scale.ticks; ++i) {
        const double value = scale.min + i * scale.step;
        axis.append(unit + QString::number(value, 'f', decimals), value);
    }
    axis.setRange(scale.min, scale.max);
}

}  // namespace

AxisScale NiceScale(double low, double high, bool whole, double flatAt) {
    if (high < low) {
        std::swap(low, high);
    }
    double from = 0;
    double to = 0;
    if (high - low < 1e-9) {
        // A flat series is drawn against zero, at the given share of the height: two flat
        // series with different shares never lie on one line.
        to = high > 0 ? high / flatAt : (whole ? 4.0 : 1.0);
    } else {
        const double room = (high - low) * 0.1;
        from = low >= 0 ? std::max(0.0, low - room) : low - room;
        to = high + room;
    }
    // About four steps of 1, 2 or 5 times a power of ten; whole numbers step by whole numbers.
    const double raw = (to - from) / 4;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * power;
        if (step >= raw) {
            break;
        }
    }
    if (whole) {
        step = std::max(1.0, std::round(step));
    }
    AxisScale scale;
    scale.step = step;
    scale.min = std::floor(from / step + 1e-9) * step;
    scale.max = std::ceil(to / step - 1e-9) * step;
    if (scale.max <= scale.min) {
        scale.max = scale.min + step;
    }
    scale.ticks = static_cast<int>(std::lround((scale.max - scale.min) / step)) + 1;
    return scale;
}

ItemHistoryChart::ItemHistoryChart(QWidget* parent) : QChartView(parent) {
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    const QColor blue(0x1F, 0x77, 0xB4);
    const QColor orange(0xFF, 0x7F, 0x0E);
    // Solid with round markers against dashed with square ones: told apart in grey print, by
    // the colour-blind, and where the two lines cross or lie close.
    // The legend says which scale a line is read on; the scales' own titles, turned on their
    // side, were cut short ("30…") next to narrow labels.
    m_price = new QLineSeries;
    m_price->setName(tr("价格 (左轴, 元)"));
    m_price->setPen(QPen(blue, 2, Qt::SolidLine));
    m_price->setMarkerSize(kMarkerSize);
    m_price->setLightMarker(Marker(blue, false));
    m_price->setPointsVisible(true);
    m_sold = new QLineSeries;
    m_sold->setName(tr("30天售 (右轴, 件)"));
    m_sold->setPen(QPen(orange, 2, Qt::DashLine));
    m_sold->setMarkerSize(kMarkerSize);
    m_sold->setLightMarker(Marker(orange, true));
    m_sold->setPointsVisible(true);
    chart->addSeries(m_price);
    chart->addSeries(m_sold);

    m_runs = new QCategoryAxis;
    m_runs->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_runs->setTitleText(tr("分析时间"));
    m_priceAxis = new QCategoryAxis;
    m_priceAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_priceAxis->setTitleVisible(false);
    m_priceAxis->setLinePenColor(blue);
    m_priceAxis->setLabelsColor(blue.darker(120));
    m_soldAxis = new QCategoryAxis;
    m_soldAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_soldAxis->setTitleVisible(false);
    m_soldAxis->setLinePenColor(orange);
    m_soldAxis->setLabelsColor(orange.darker(140));
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
    m_title.clear();
    chart()->setTitle(tr("在对比表中选择一个宝贝，查看它历次分析的走势"));
    for (const QString& label : m_runs->categoriesLabels()) {
        m_runs->remove(label);
    }
    m_runs->setRange(0, 1);
    Apply(*m_priceAxis, NiceScale(0, 1, false), QStringLiteral("¥"), 2);
    Apply(*m_soldAxis, NiceScale(0, 4, true), QString(), 0);
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
    m_title = Utf8Text(title);
    ShowTitle();
    // Half a step of room on either side, so the first and the last point stay off the frame.
    m_runs->setStartValue(-0.5);
    m_runs->setRange(-0.5, points.empty() ? 0.5 : static_cast<qreal>(points.size()) - 0.5);
    if (prices.isEmpty()) {
        return;
    }
    auto byY = [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); };
    const auto [lowPrice, highPrice] = std::minmax_element(prices.begin(), prices.end(), byY);
    const AxisScale price = NiceScale(lowPrice->y(), highPrice->y(), false, kFlatPriceAt);
    // Cents only where the steps are smaller than a yuan.
    Apply(*m_priceAxis, price, QStringLiteral("¥"), price.step < 1 ? 2 : 0);
    const auto [lowSold, highSold] = std::minmax_element(sold.begin(), sold.end(), byY);
    Apply(*m_soldAxis, NiceScale(lowSold->y(), highSold->y(), true, kFlatSoldAt), QString(), 0);
}

void ItemHistoryChart::ShowTitle() {
    if (m_title.isEmpty()) {
        return;
    }
    // The chart sets its title as HTML: the item's title goes in escaped, and cut to the
    // chart's width by us, so that the chart's own cutting never splits an escape.
    const int margins = 2 * (chart()->margins().left() + chart()->margins().right());
    const QString line = ShownText(OneLine(m_title));
    const QString shown = QFontMetrics(chart()->titleFont())
                              .elidedText(line, Qt::ElideRight, std::max(40, width() - margins));
    chart()->setTitle(shown.toHtmlEscaped());
}

void ItemHistoryChart::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    ShowTitle();
}

bool ItemHistoryChart::viewportEvent(QEvent* event) {
    // The whole title over the title's band, the strip above the plot.
    if (event->type() == QEvent::ToolTip && !m_title.isEmpty()) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (mapToScene(help->pos()).y() < chart()->plotArea().top()) {
            QToolTip::showText(help->globalPos(), TipText(m_title), viewport());
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QChartView::viewportEvent(event);
}

}  // namespace tarnwick
