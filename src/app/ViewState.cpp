#include "app/ViewState.h"

#include <QHeaderView>
#include <QSettings>
#include <QSplitter>
#include <QTableView>
#include <QWidget>

#include "app/Language.h"
#include "views/ColumnFit.h"
#include "views/DetailLists.h"

namespace tarnwick {

namespace {

const QString kGeometry = QStringLiteral("geometry");

QString SplitterKey(const QSplitter& splitter) {
    return QStringLiteral("splitters/") + splitter.objectName();
}
// Column widths are kept per language: the English captions are wider, and widths made for
// the Chinese ones would cut them. The Chinese keys are the ones kept before that.
QString LanguageGroup() {
    return CurrentLanguage() == Language::English ? QStringLiteral("-en") : QString();
}
QString ColumnsKey(const QTableView& grid) {
    return QStringLiteral("columns") + LanguageGroup() + QLatin1Char('/') + grid.objectName();
}
QString ColumnCountKey(const QTableView& grid) {
    return QStringLiteral("columnCount") + LanguageGroup() + QLatin1Char('/') + grid.objectName();
}

}  // namespace

ViewState::ViewState(QString path) : m_path(std::move(path)) {
}

void ViewState::Save(const QWidget& window) const {
    if (m_path.isEmpty()) {
        return;
    }
    QSettings settings(m_path, QSettings::IniFormat);
    settings.setValue(kGeometry, window.saveGeometry());
    for (const QSplitter* splitter : window.findChildren<QSplitter*>()) {
        if (!splitter->objectName().isEmpty()) {
            settings.setValue(SplitterKey(*splitter), splitter->saveState());
        }
    }
    for (const QTableView* grid : window.findChildren<QTableView*>()) {
        if (!grid->objectName().isEmpty() && grid->model()) {
            settings.setValue(ColumnsKey(*grid), grid->horizontalHeader()->saveState());
            settings.setValue(ColumnCountKey(*grid), grid->model()->columnCount());
        }
    }
    settings.sync();
}

void ViewState::Restore(QWidget& window) const {
    if (m_path.isEmpty()) {
        return;
    }
    QSettings settings(m_path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        return;
    }
    if (settings.contains(kGeometry)) {
        window.restoreGeometry(settings.value(kGeometry).toByteArray());
    }
    for (QSplitter* splitter : window.findChildren<QSplitter*>()) {
        const QString key = SplitterKey(*splitter);
        if (!splitter->objectName().isEmpty() && settings.contains(key)) {
            if (splitter->restoreState(settings.value(key).toByteArray())) {
                if (auto* details = qobject_cast<DetailLists*>(splitter)) {
                    details->KeepSizes();
                }
            }
        }
    }
    for (QTableView* grid : window.findChildren<QTableView*>()) {
        const QString key = ColumnsKey(*grid);
        if (grid->objectName().isEmpty() || !grid->model() || !settings.contains(key)) {
            continue;
        }
        // Widths saved for another set of columns would land on the wrong ones.
        if (settings.value(ColumnCountKey(*grid)).toInt() != grid->model()->columnCount()) {
            continue;
        }
        if (grid->horizontalHeader()->restoreState(settings.value(key).toByteArray())) {
            if (auto* fit = grid->findChild<ColumnFit*>(QString(), Qt::FindDirectChildrenOnly)) {
                fit->Keep();
            }
        }
    }
}

}  // namespace tarnwick
