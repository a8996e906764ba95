#include "views/DetailLists.h"

#include <algorithm>

#include <QHeaderView>
#include <QLabel>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "views/CellText.h"
#include "views/DetailColumns.h"
#include "views/DetailGrid.h"

namespace tarnwick {

namespace {

constexpr int kRatePartWidth = 384;
constexpr int kCountLineHeight = 13;
// The narrowest a nick column and a free-text column are fitted: a short nick, or the start of
// a variant or review, still readable.
constexpr int kNickLeast = 64;
constexpr int kTextLeast = 72;

template <typename Row>
std::vector<int> Widths(std::span<const GridColumn<Row>> columns) {
    std::vector<int> widths;
    for (const auto& column : columns) {
        widths.push_back(column.width);
    }
    return widths;
}

// A grid filling the part with its one-line count label along the bottom edge.
QWidget* Part(const char* name, QWidget* grid, QLabel* label) {
    auto* part = new QWidget;
    part->setObjectName(name);
    auto* layout = new QVBoxLayout(part);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(grid, 1);
    // The form's 13 pixels, or the font's own height where that is taller, so that the line is
    // never clipped.
    label->setFixedHeight(std::max(kCountLineHeight, label->fontMetrics().height()));
    layout->addWidget(label);
    return part;
}

}  // namespace

QString BuyerCountText(std::size_t count, double total) {
    return DetailLists::tr("共有 %1 条记录. 总额 %2 元。").arg(count).arg(DecimalText(total));
}

QString CommentCountText(std::size_t count) {
    return DetailLists::tr("共有 %1 条记录.").arg(count);
}

DetailLists::DetailLists(QWidget* parent)
    : QSplitter(Qt::Horizontal, parent),
      m_buyers(new RowTableModel<BuyerRow>(BuyerColumns(), this)),
      m_rates(new RowTableModel<RateRow>(RateColumns(), this)),
      dbgBuyerList(new DetailGrid),
      dbgRateList(new DetailGrid),
      lblBuyerCount(new QLabel),
      lblCommentCount(new QLabel) {
    setObjectName("rpnlDetail");
    setHandleWidth(7);
    setChildrenCollapsible(false);
    dbgBuyerList->setObjectName("dbgBuyerList");
    dbgRateList->setObjectName("dbgRateList");
    lblBuyerCount->setObjectName("lblBuyerCount");
    lblCommentCount->setObjectName("lblCommentCount");
    lblBuyerCount->setTextFormat(Qt::PlainText);
    lblCommentCount->setTextFormat(Qt::PlainText);
    dbgBuyerList->SetModelWithWidths(m_buyers, Widths(BuyerColumns()));
    dbgRateList->SetModelWithWidths(m_rates, Widths(RateColumns()));
    // The times, prices and amounts show whole; the names, variants and review texts divide the
    // rest, none so narrow that it shows nothing but an ellipsis.
    const QString time = QStringLiteral("0000-00-00 00:00:00");
    dbgBuyerList->FitColumnsToWidth({{QString(), kNickLeast, 80},
                                     {QStringLiteral("000.00"), 0, 0},
                                     {QStringLiteral("000"), 0, 0},
                                     {QString(), kTextLeast, 80},
                                     {time, 0, 0}});
    dbgRateList->FitColumnsToWidth(
        {{QString(), kNickLeast, 90}, {QString(), kTextLeast, 130}, {time, 0, 0}});

    addWidget(Part("pnlBuyerList", dbgBuyerList, lblBuyerCount));
    QWidget* ratePart = Part("rpnlRateList", dbgRateList, lblCommentCount);
    addWidget(ratePart);
    // The buyer part takes whatever width is left; the review part keeps its own.
    setStretchFactor(0, 1);
    setStretchFactor(1, 0);
    setSizes({1000, kRatePartWidth});
    connect(this, &QSplitter::splitterMoved, this, [this] { m_sizesKept = true; });
    connect(dbgBuyerList, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { emit BuyerActivated(index.row()); });
    connect(dbgRateList, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { emit RateActivated(index.row()); });
    // The row indicators widen as rows arrive, and so do the widths the grids need.
    for (DetailGrid* grid : {dbgBuyerList, dbgRateList}) {
        connect(grid->verticalHeader(), &QHeaderView::geometriesChanged, this, [this] {
            if (!m_sizesKept) {
                DivideWidth();
            }
        });
    }
}

void DetailLists::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    if (!m_sizesKept) {
        DivideWidth();
    }
}

void DetailLists::DivideWidth() {
    // The review part keeps its starting width while the buyer part has room for all its
    // columns; on a narrower window it gives up width, down to what its own columns need,
    // rather than leave the buyer names and variants as bare ellipses.
    const int total = width() - handleWidth();
    const int rates =
        std::clamp(total - dbgBuyerList->LeastWidth(),
                   std::min(dbgRateList->LeastWidth(), kRatePartWidth), kRatePartWidth);
    setSizes({total - rates, rates});
}

void DetailLists::ShowBuyers(std::vector<BuyerRow> buyers) {
    double total = 0.0;
    for (const BuyerRow& buyer : buyers) {
        total += buyer.price;
    }
    const std::size_t count = buyers.size();
    m_buyers->Fill(std::move(buyers));
    lblBuyerCount->setText(BuyerCountText(count, total));
}

void DetailLists::ShowRates(std::vector<RateRow> rates) {
    const std::size_t count = rates.size();
    m_rates->Fill(std::move(rates));
    lblCommentCount->setText(CommentCountText(count));
}

void DetailLists::ClearRates() {
    m_rates->Clear();
}

void DetailLists::ClearLabels() {
    lblBuyerCount->clear();
    lblCommentCount->clear();
}

void DetailLists::Clear() {
    m_buyers->Clear();
    m_rates->Clear();
    ClearLabels();
}

QWidget* DetailLists::BuyerGrid() const {
    return dbgBuyerList;
}
QWidget* DetailLists::RateGrid() const {
    return dbgRateList;
}

QString DetailLists::BuyerCountLabel() const {
    return lblBuyerCount->text();
}
QString DetailLists::CommentCountLabel() const {
    return lblCommentCount->text();
}

}  // namespace tarnwick
