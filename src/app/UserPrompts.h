#pragma once

#include <optional>

#include <QString>

#include "app/SaveFileDialog.h"

class QWidget;

namespace tarnwick {

// Every question and message the program puts to the user, behind one interface so that tests
// can answer them without modal boxes.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // Caption "提示", information symbol, one OK button.
    virtual void ShowInfoBox(QWidget* owner, const QString& text) = 0;
    // The plain message dialog: the application's title as caption, no symbol, one OK button.
    virtual void ShowMessage(QWidget* owner, const QString& text) = 0;
    // A failure that ended an event handler.
    virtual void ShowError(QWidget* owner, const QString& text) = 0;
    // Caption "提示", question symbol, Yes and No; true for Yes.
    virtual bool AskYesNo(QWidget* owner, const QString& text) = 0;
    // The file name to save to, or nothing when the user cancels.
    virtual std::optional<QString> AskSaveFileName(QWidget* owner, const SaveRequest& request) = 0;
};

}  // namespace tarnwick
