#include "app/TFmCompare.h"

#include <algorithm>

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "analysis/ItemHistory.h"
#include "analysis/ShopRuns.h"
#include "app/ButtonKeys.h"
#include "app/ExportFlow.h"
#include "app/GuardedCall.h"
#include "app/UserPrompts.h"
#include "app/WaitCursor.h"
#include "export/ComparisonExport.h"
#include "export/ComparisonSheet.h"
#include "export/XlsxExport.h"
#include "store/Store.h"
#include "views/CellText.h"
#include "views/ComparisonFilter.h"
#include "views/ComparisonModel.h"
#include "views/GridSetup.h"
#include "views/ItemHistoryChart.h"
#include "views/PlainText.h"
#include "views/SystemText.h"

namespace tarnwick {

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 640;

QString Signed(double value, int decimals) {
    const QString text = QString::number(value, 'f', decimals);
    return value > 0 ? QStringLiteral("+") + text : text;
}

QString Movement(double before, double after, int decimals) {
    return QString::number(before, 'f', decimals) + QStringLiteral(" → ") +
           QString::number(after, 'f', decimals) + QStringLiteral(" (") +
           Signed(after - before, decimals) + QStringLiteral(")");
}

}  // namespace

TFmCompare* TFmCompare::OpenForRun(Store& store, UserPrompts& prompts, const std::string& sid,
                                   QWidget* parent) {
    std::optional<ShopRow> newer = FindRun(store, sid);
    if (!newer) {
        prompts.ShowMessage(parent, tr("这次分析已不在数据库中。"));
        return nullptr;
    }
    std::optional<ShopRow> older = PreviousRun(store, sid);
    if (!older) {
        prompts.ShowMessage(parent, tr("这是该店铺最早的一次分析，没有上次的分析可以对比。"));
        return nullptr;
    }
    return Show(store, prompts, *older, *newer, parent);
}

TFmCompare* TFmCompare::OpenForRuns(Store& store, UserPrompts& prompts, const std::string& olderSid,
                                    const std::string& newerSid, QWidget* parent) {
    std::optional<ShopRow> older = FindRun(store, olderSid);
    std::optional<ShopRow> newer = FindRun(store, newerSid);
    if (!older || !newer) {
        prompts.ShowMessage(parent, tr("这次分析已不在数据库中。"));
        return nullptr;
    }
    return Show(store, prompts, *older, *newer, parent);
}

TFmCompare* TFmCompare::Show(Store& store, UserPrompts& prompts, const ShopRow& older,
                             const ShopRow& newer, QWidget* parent) {
    RunComparison comparison;
    {
        WaitCursor hourglass;
        comparison = CompareRuns(store, older, newer);
    }
    auto* window = new TFmCompare(store, prompts, std::move(comparison), parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

TFmCompare::TFmCompare(Store& store, UserPrompts& prompts, RunComparison comparison,
                       QWidget* parent)
    : QDialog(parent), m_store(store), m_prompts(prompts), m_comparison(std::move(comparison)) {
    setObjectName("TFmCompare");
    setWindowFlag(Qt::Window);
    setWindowTitle(tr("与上次对比") + QStringLiteral(" - ") +
                   ShownText(OneLine(CutText(Utf8Text(m_comparison.newer.WWName), kTipLength))));
    resize(kWidth, kHeight);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildHeader());

    m_model = new ComparisonModel(this);
    m_model->Fill(m_comparison.items);
    m_filter = new ComparisonFilter(*m_model, this);

    auto* split = new QSplitter(Qt::Vertical);
    split->setChildrenCollapsible(false);
    tblCompare = new QTableView;
    tblCompare->setObjectName("tblCompare");
    SetUpRowGrid(*tblCompare);
    tblCompare->setModel(m_filter);
    tblCompare->setSortingEnabled(true);
    // Read order until the user asks for another: new items first, the removed ones last.
    tblCompare->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    // The form's widths, or what the captions and the states need in the interface's language
    // where that is more (English ones are longer).
    const auto& columns = ComparisonColumns();
    const QHeaderView& header = *tblCompare->horizontalHeader();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int section = static_cast<int>(i);
        int width = std::max(columns[i].width, header.sectionSizeHint(section));
        if (section == kComparisonStatusColumn) {
            for (int row = 0; row < m_model->Count(); ++row) {
                const QString state = m_model->index(row, section).data().toString();
                width = std::max(width, tblCompare->fontMetrics().horizontalAdvance(state) + 16);
            }
        }
        tblCompare->setColumnWidth(section, width);
    }
    chtHistory = new ItemHistoryChart;
    chtHistory->setObjectName("chtHistory");
    split->addWidget(tblCompare);
    split->addWidget(chtHistory);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);

    connect(tblCompare->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { RunGuarded(m_prompts, this, [this] { ShowChosenHistory(); }); });
    connect(chkChangedOnly, &QCheckBox::toggled, this,
            [this](bool on) { m_filter->SetChangedOnly(on); });
    connect(btnExportXlsx, &QPushButton::clicked, this,
            [this] { RunGuarded(m_prompts, this, [this] { btnExportXlsxClick(); }); });
    connect(btnExportCsv, &QPushButton::clicked, this,
            [this] { RunGuarded(m_prompts, this, [this] { btnExportCsvClick(); }); });
}

QWidget* TFmCompare::BuildHeader() {
    auto* header = new QWidget;
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* texts = new QVBoxLayout;
    const RunComparison& c = m_comparison;
    lblRuns = new QLabel(tr("上次分析: %1    本次分析: %2    掌柜: %3")
                             .arg(DateTimeText(c.older.AddTime), DateTimeText(c.newer.AddTime),
                                  ShownText(OneLine(Utf8Text(c.newer.WWName)))));
    lblRuns->setObjectName("lblRuns");
    MakePlainLabel(*lblRuns);
    lblRuns->setWordWrap(true);
    const std::size_t changedKept =
        c.ChangedCount() - c.Count(ItemStatus::New) - c.Count(ItemStatus::Removed);
    lblTotals =
        new QLabel(tr("新上架 %1, 已下架 %2, 有变化 %3    宝贝数 %4    销售总额 %5    库存价值 %6")
                       .arg(c.Count(ItemStatus::New))
                       .arg(c.Count(ItemStatus::Removed))
                       .arg(changedKept)
                       .arg(Movement(static_cast<double>(c.olderTotals.items),
                                     static_cast<double>(c.newerTotals.items), 0),
                            Movement(c.olderTotals.sellAmount, c.newerTotals.sellAmount, 2),
                            Movement(c.olderTotals.stockValue, c.newerTotals.stockValue, 2)));
    lblTotals->setObjectName("lblTotals");
    MakePlainLabel(*lblTotals);
    // Whole on a second line where the window is too narrow for it.
    lblTotals->setWordWrap(true);
    // First, when either run did not read the whole shop: the figures below leave its unread
    // items out, and missing items are not called removed.
    QStringList partial;
    for (const std::string& line : c.PartialLines()) {
        partial << SystemText(Utf8Text(line));
    }
    lblPartial = new QLabel(partial.join(QLatin1Char('\n')));
    lblPartial->setObjectName("lblPartial");
    lblPartial->setTextFormat(Qt::PlainText);
    lblPartial->setStyleSheet(QStringLiteral("color: #a33;"));
    lblPartial->setVisible(!partial.isEmpty());
    texts->addWidget(lblPartial);
    texts->addWidget(lblRuns);
    texts->addWidget(lblTotals);
    layout->addLayout(texts, 1);

    chkChangedOnly = Keyed(new QCheckBox(tr("只看变化")), Qt::Key_O);
    chkChangedOnly->setObjectName("chkChangedOnly");
    btnExportXlsx = Keyed(new QPushButton(tr("导出到EXCEL")), Qt::Key_L);
    btnExportXlsx->setObjectName("btnExportXlsx");
    btnExportCsv = Keyed(new QPushButton(tr("导出CSV")), Qt::Key_V);
    btnExportCsv->setObjectName("btnExportCsv");
    layout->addWidget(chkChangedOnly);
    layout->addWidget(btnExportXlsx);
    layout->addWidget(btnExportCsv);
    return header;
}

QString TFmCompare::TotalsText() const {
    return lblTotals->text();
}

bool TFmCompare::SelectItem(const std::string& itemId) {
    for (int row = 0; row < m_filter->rowCount(); ++row) {
        const int source = m_filter->mapToSource(m_filter->index(row, 0)).row();
        if (m_model->Item(source).itemId == itemId) {
            tblCompare->selectionModel()->setCurrentIndex(
                m_filter->index(row, 0),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            return true;
        }
    }
    return false;
}

std::vector<ItemComparison> TFmCompare::ShownItems() const {
    std::vector<ItemComparison> items;
    items.reserve(static_cast<std::size_t>(m_filter->rowCount()));
    for (int row = 0; row < m_filter->rowCount(); ++row) {
        items.push_back(m_model->Item(m_filter->mapToSource(m_filter->index(row, 0)).row()));
    }
    return items;
}

void TFmCompare::ShowChosenHistory() {
    const QModelIndex current = tblCompare->selectionModel()->currentIndex();
    if (!current.isValid()) {
        chtHistory->Clear();
        return;
    }
    const ItemComparison& item = m_model->Item(m_filter->mapToSource(current).row());
    std::vector<HistoryPoint> points;
    {
        WaitCursor hourglass;
        points = ItemHistory(m_store, m_comparison.newer, item.itemId);
    }
    chtHistory->ShowHistory(item.Title(), points);
}

void TFmCompare::btnExportXlsxClick() {
    RunExport(m_prompts, this,
              {{tr("Excel 工作簿 (*.xlsx)"), QStringLiteral("xlsx"), QString()},
               QStringLiteral("xlsx"),
               [this](const std::string& path) {
                   return ExportDone{tr("导出成功."), ExportComparisonToXlsx(ShownItems(), path)};
               }});
}

void TFmCompare::btnExportCsvClick() {
    RunExport(m_prompts, this,
              {{tr("CSV 文件 (*.csv)"), QStringLiteral("csv"), QString()},
               QStringLiteral("csv"),
               [this](const std::string& path) {
                   WriteComparisonCsv(ShownItems(), path);
                   return ExportDone{tr("导出成功.")};
               }});
}

}  // namespace tarnwick
