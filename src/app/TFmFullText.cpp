#include "app/TFmFullText.h"

#include <QAbstractItemModel>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ButtonKeys.h"
#include "views/CellText.h"

namespace tarnwick {

namespace {
constexpr int kWidth = 480;
constexpr int kHeight = 320;
}  // namespace

TFmFullText::TFmFullText(QWidget* parent) : QDialog(parent) {
    setObjectName("TFmFullText");
    resize(kWidth, kHeight);
    auto* layout = new QVBoxLayout(this);
    mmoText = new QPlainTextEdit;
    mmoText->setObjectName("mmoText");
    mmoText->setReadOnly(true);
    // Read-only still lets the caret move, so that the keyboard can select and copy.
    mmoText->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    mmoText->setTabChangesFocus(true);
    layout->addWidget(mmoText, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnClose = Keyed(new QPushButton(tr("关闭")), Qt::Key_C);
    btnClose->setObjectName("btnClose");
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
}

void TFmFullText::ShowRow(const QString& caption, const QAbstractItemModel& model, int row) {
    QStringList parts;
    for (int column = 0; column < model.columnCount(); ++column) {
        const QString text = model.index(row, column).data(kFullTextRole).toString();
        if (text.isEmpty()) {
            continue;
        }
        const QString title = model.headerData(column, Qt::Horizontal).toString();
        // A text of one line goes beside its caption, a longer one under it.
        parts.append(text.contains(QLatin1Char('\n')) || text.size() > 40
                         ? title + QStringLiteral(":\n") + text
                         : title + QStringLiteral(": ") + text);
    }
    setWindowTitle(caption);
    mmoText->setPlainText(parts.join(QStringLiteral("\n\n")));
    show();
    raise();
    activateWindow();
    mmoText->setFocus();
}

QString TFmFullText::Text() const {
    return mmoText->toPlainText();
}

}  // namespace tarnwick
