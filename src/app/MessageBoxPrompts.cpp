#include "app/MessageBoxPrompts.h"

#include <QAbstractButton>
#include <QCoreApplication>
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

int Run(QMessageBox::Icon icon, const QString& caption, const QString& text,
        QMessageBox::StandardButtons buttons, QWidget* owner) {
    QMessageBox box(icon, caption, text, buttons, owner);
    // Messages name shops, items and addresses the competitor wrote: never markup.
    box.setTextFormat(Qt::PlainText);
    // Addresses and paths in a message can be selected and copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    NameButtons(box);
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
    return Run(QMessageBox::Question, NoticeCaption(), text, QMessageBox::Yes | QMessageBox::No,
               owner) == QMessageBox::Yes;
}

std::optional<QString> MessageBoxPrompts::AskSaveFileName(QWidget* owner,
                                                          const SaveRequest& request) {
    return RunSaveFileDialog(owner, request);
}

}  // namespace tarnwick
