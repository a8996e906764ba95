#pragma once

#include <string>

#include "app/UrlOpener.h"
#include "app/UserPrompts.h"

namespace tarnwick::screenshots {

// Answers every prompt without a box (No, Cancel) and prints what it was shown, so that an
// unattended rendering never stops at a modal window.
class QuietPrompts : public UserPrompts, public UrlOpener {
public:
    void ShowInfoBox(QWidget* owner, const QString& text) override;
    void ShowMessage(QWidget* owner, const QString& text) override;
    void ShowError(QWidget* owner, const QString& text) override;
    bool AskYesNo(QWidget* owner, const QString& text) override;
    std::optional<QString> AskSaveFileName(QWidget* owner, const QString& defaultSuffix) override;
    bool Open(const std::string& url) override;
};

}  // namespace tarnwick::screenshots
