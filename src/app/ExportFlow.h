#pragma once

#include <functional>
#include <string>

#include <QString>

#include "app/SaveFileDialog.h"

class QWidget;

namespace tarnwick {

class UserPrompts;

// What one export asks of the user and does: the save dialog, the suffix a name typed
// without one gets, and the writing itself, which returns the message that says it worked.
struct ExportJob {
    SaveRequest request;
    QString suffix;  // without the dot; empty adds none
    std::function<QString(const std::string& path)> write;
};

// Every export of the desktop program goes this way: the save dialog (cancel does nothing),
// the hourglass while the file is written, then one message: the job's own on success; on a
// file that could not be written, the reason and then "导出失败.". The file itself is written
// by the export functions of the core, which never leave half a file under the chosen name.
// Other failures (a database error) go on to the handler's error box.
void RunExport(UserPrompts& prompts, QWidget* owner, const ExportJob& job);

}  // namespace tarnwick
