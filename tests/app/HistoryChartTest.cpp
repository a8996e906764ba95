// The item's history chart as people read it: round ticks on two scales with their units, a
// marker at each run, two lines told apart by style, flat series kept apart, the title cut to
// the chart with the whole title in its tooltip.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QHelpEvent>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QTest>
#include <QToolTip>
#include <QValueAxis>

#include "GuiTestSupport.h"
#include "views/ItemHistoryChart.h"

namespace tarnwick::test {
namespace {

TEST(HistoryChartTest, ScalesStepByRoundValuesAndKeepFlatSeriesAwayFromTheFrame) {
    struct Case {
        double low, high;
        bool whole;
        double flatAt;
        AxisScale expected;
    };
    const Case cases[] = {
        // Sold counts of five runs that once read "17,16,16,15,14" on the axis.
        {14, 17, true, 0.5, {13, 18, 1, 6}},
        // One sale, once labelled "1,0,0,0,0".
        {0, 1, true, 0.5, {0, 2, 1, 3}},
        {115.2, 128, false, 0.5, {110, 130, 5, 5}},
        {0.35, 0.52, false, 0.5, {0.3, 0.6, 0.1, 4}},
        // Flat: against zero, the line at about the share asked for.
        {128, 128, false, kFlatPriceAt, {0, 200, 50, 5}},
        {5, 5, true, kFlatSoldAt, {0, 15, 5, 4}},
        {0, 0, true, kFlatSoldAt, {0, 4, 1, 5}},
        {3000, 3000, true, kFlatSoldAt, {0, 8000, 2000, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.low << ".." << c.high);
        const AxisScale scale = NiceScale(c.low, c.high, c.whole, c.flatAt);
        EXPECT_NEAR(scale.min, c.expected.min, 1e-9);
        EXPECT_NEAR(scale.max, c.expected.max, 1e-9);
        EXPECT_NEAR(scale.step, c.expected.step, 1e-9);
        EXPECT_EQ(scale.ticks, c.expected.ticks);
        EXPECT_LE(scale.min, c.low);
        EXPECT_GE(scale.max, c.high);
        EXPECT_NEAR(scale.min + (scale.ticks - 1) * scale.step, scale.max, 1e-9);
    }
}

// The texts the chart draws to the left of its plot, to its right, and above it.
struct ChartTexts {
    std::vector<QString> left, right, above;
};

ChartTexts Texts(ItemHistoryChart& chart) {
    QApplication::processEvents();
    const QRectF plot = chart.chart()->plotArea();
    ChartTexts texts;
    for (QGraphicsItem* item : chart.scene()->items()) {
        auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (text == nullptr || !text->isVisible() || text->toPlainText().isEmpty()) {
            continue;
        }
        const QRectF box = text->sceneBoundingRect();
        if (box.bottom() <= plot.top()) {
            texts.above.push_back(text->toPlainText());
        } else if (box.right() <= plot.left() + 1) {
            texts.left.push_back(text->toPlainText());
        } else if (box.left() >= plot.right() - 1) {
            texts.right.push_back(text->toPlainText());
        }
    }
    return texts;
}

std::vector<HistoryPoint> Points(const std::vector<std::pair<double, int>>& figures) {
    std::vector<HistoryPoint> points;
    DateTime time = DateTime::FromText("2026-03-01 10:00:00.000");
    for (const auto& [price, sold] : figures) {
        HistoryPoint point;
        point.runTime = time;
        point.listed = true;
        point.read = true;
        point.price = price;
        point.sellcount = sold;
        points.push_back(point);
        time = time.AddDays(1);
    }
    return points;
}

// Where a series' value lies on its axis, as a share of the height from the bottom.
double Height(const QLineSeries& series, int at) {
    auto* axis = qobject_cast<QValueAxis*>(const_cast<QLineSeries&>(series).attachedAxes().at(1));
    return (series.at(at).y() - axis->min()) / (axis->max() - axis->min());
}

TEST(HistoryChartTest, AxesCarryUnitsAndWholeNumbersAndFlatLinesLieApart) {
    ItemHistoryChart chart;
    chart.resize(800, 320);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));

    chart.ShowHistory("连衣裙",
                      Points({{128, 17}, {128, 16}, {121.5, 16}, {119, 15}, {115.2, 14}}));
    ChartTexts texts = Texts(chart);
    std::set<QString> sold;
    for (const QString& label : texts.right) {
        EXPECT_TRUE(sold.insert(label).second) << "repeated " << label.toStdString();
        bool whole = false;
        label.toInt(&whole);
        EXPECT_TRUE(whole) << label.toStdString();
    }
    EXPECT_EQ(sold, (std::set<QString>{"13", "14", "15", "16", "17", "18"}));
    std::vector<QString> prices;
    for (const QString& label : texts.left) {
        if (label.startsWith(QStringLiteral("¥"))) {
            prices.push_back(label);
        }
    }
    std::sort(prices.begin(), prices.end());
    EXPECT_EQ(prices, (std::vector<QString>{"¥110", "¥115", "¥120", "¥125", "¥130"}));

    // Both flat: the price line high, the sold line lower, never one over the other.
    chart.ShowHistory("围巾", Points({{45, 3}, {45, 3}, {45, 3}}));
    EXPECT_GT(Height(chart.PriceSeries(), 0) - Height(chart.SoldSeries(), 0), 0.2);
    EXPECT_GT(Height(chart.SoldSeries(), 0), 0.2);

    // Told apart by more than colour, a marker at each run, and a legend naming both.
    EXPECT_NE(chart.PriceSeries().pen().style(), chart.SoldSeries().pen().style());
    EXPECT_TRUE(chart.PriceSeries().pointsVisible());
    EXPECT_FALSE(chart.PriceSeries().lightMarker().isNull());
    EXPECT_FALSE(chart.SoldSeries().lightMarker().isNull());
    EXPECT_NE(chart.PriceSeries().lightMarker(), chart.SoldSeries().lightMarker());
    EXPECT_TRUE(chart.chart()->legend()->isVisible());
    EXPECT_EQ(chart.chart()->legend()->markers().size(), 2);
}

TEST(HistoryChartTest, ALongTitleIsCutToTheChartWithTheWholeTitleInItsTooltip) {
    ItemHistoryChart chart;
    chart.resize(500, 300);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    std::string title;
    for (int i = 0; i < 100; ++i) {
        title += "宝贝" + std::to_string(i);
    }
    chart.ShowHistory(title, Points({{10, 1}, {11, 2}}));
    const ChartTexts texts = Texts(chart);
    ASSERT_EQ(texts.above.size(), 1u);
    const QString shown = texts.above.front();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(QString::fromStdString(title).startsWith(shown.chopped(1)));
    EXPECT_LE(QFontMetrics(chart.chart()->titleFont()).horizontalAdvance(shown), chart.width());

    const QPoint top(chart.width() / 2, 6);
    QHelpEvent help(QEvent::ToolTip, top, chart.viewport()->mapToGlobal(top));
    QApplication::sendEvent(chart.viewport(), &help);
    EXPECT_EQ(ShownTip(QToolTip::text()), QString::fromStdString(title));
    // Over the plot, no tooltip of the title.
    const QPoint inside = chart.chart()->plotArea().center().toPoint();
    QHelpEvent over(QEvent::ToolTip, inside, chart.viewport()->mapToGlobal(inside));
    QApplication::sendEvent(chart.viewport(), &over);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));
}

}  // namespace
}  // namespace tarnwick::test
