#include "app/MessageBoxPrompts.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGridLayout>
#include <QMessageBox>

namespace tarnwick {

namespace {

QString NoticeCaption() {
    return QCoreApplication::translate("MessageBoxPrompts", "提示");
}

// Qt's own button texts are English unless a translation is installed; the rest of the
// program speaks Chinese, so the boxes do too.
void NameButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, const char*> names[] = {
        {QMessageBox::Ok, QT_TRANSLATE_NOOP("MessageBoxPrompts", "确定")},
        {QMessageBox::Yes, QT_TRANSLATE_NOOP("MessageBoxPrompts", "是(&Y)")},
        {QMessageBox::No, QT_TRANSLATE_NOOP("MessageBoxPrompts", "否(&N)")}};
    for (const auto& [button, name] : names) {
        if (QAbstractButton* shown = box.button(button)) {
            shown->setText(QCoreApplication::translate("MessageBoxPrompts", name));
        }
    }
}

// Room for the whole caption in the title bar, beside the window manager's buttons: a short
// message would otherwise leave "Qu…ne" of it.
void FitCaption(QMessageBox& box, const QString& caption) {
    constexpr int kTitleBarButtons = 160;
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) {
        return;
    }
    const int width = box.fontMetrics().horizontalAdvance(caption) + kTitleBarButtons;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

int Run(QMessageBox::Icon icon, const QString& caption, const QString& text,
        QMessageBox::StandardButtons buttons, QWidget* owner,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
    QMessageBox box(icon, caption, text, buttons, owner);
    // Messages name shops, items and addresses the competitor wrote: never markup.
    box.setTextFormat(Qt::PlainText);
    // Addresses and paths in a message can be selected and copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    if (defaultButton != QMessageBox::NoButton) {
        box.setDefaultButton(defaultButton);
        box.setEscapeButton(defaultButton);
    }
    NameButtons(box);
    FitCaption(box, caption);
    return box.exec();
}

}  // namespace

MessageBoxPrompts::MessageBoxPrompts(QString applicationTitle)
    : m_title(std::move(applicationTitle)) {
}

void MessageBoxPrompts::ShowInfoBox(QWidget* owner, const QString& text) {
    Run(QMessageBox::Information, NoticeCaption(), text, QMessageBox::Ok, owner);
}

void MessageBoxPrompts::ShowMessage(QWidget* owner, const QString& text) {
    Run(QMessageBox::NoIcon, m_title, text, QMessageBox::Ok, owner);
}

void MessageBoxPrompts::ShowError(QWidget* owner, const QString& text) {
    Run(QMessageBox::Critical, m_title, text, QMessageBox::Ok, owner);
}

bool MessageBoxPrompts::AskYesNo(QWidget* owner, const QString& text) {
    // What is asked cannot be undone (a deletion): Enter, Space on the focused button and Esc
    // all answer No.
    return Run(QMessageBox::Question, NoticeCaption(), text, QMessageBox::Yes | QMessageBox::No,
               owner, QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QString> MessageBoxPrompts::AskSaveFileName(QWidget* owner,
                                                          const SaveRequest& request) {
    return RunSaveFileDialog(owner, request);
}

}  // namespace tarnwick
