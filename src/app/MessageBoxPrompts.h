#pragma once

#include "app/UserPrompts.h"

namespace tarnwick {

// The prompts as modal message boxes and the save-file dialog.
class MessageBoxPrompts : public UserPrompts {
public:
    explicit MessageBoxPrompts(QString applicationTitle);

    void ShowInfoBox(QWidget* owner, const QString& text) override;
    void ShowMessage(QWidget* owner, const QString& text) override;
    void ShowError(QWidget* owner, const QString& text) override;
    bool AskYesNo(QWidget* owner, const QString& text) override;
    std::optional<QString> AskSaveFileName(QWidget* owner, const SaveRequest& request) override;

private:
    QString m_title;
};

}  // namespace tarnwick
