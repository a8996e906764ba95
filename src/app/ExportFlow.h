#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include <QString>

#include "app/SaveFileDialog.h"

class QWidget;

namespace tarnwick {

class UserPrompts;

// What a finished export tells the user: its own message, and how many texts a workbook had
// to cut to the format's limit.
struct ExportDone {
    QString message;
    std::size_t cutCells = 0;
};

// What one export asks of the user and does: the save dialog, the suffix a name typed
// without one gets, and the writing itself.
struct ExportJob {
    SaveRequest request;
    QString suffix;  // without the dot; empty adds none
    std::function<ExportDone(const std::string& path)> write;
};

// Every export of the desktop program goes this way: the save dialog (cancel does nothing),
// the hourglass while the file is written, then the job's own message on success (and a second
// one saying how many cells were cut, when some were); on a file that could not be written,
// the reason and then "导出失败.". The file itself is written by the export functions of the
// core, atomically: never half a file under the chosen name. Other failures (a database
// error) go on to the handler's error box.
void RunExport(UserPrompts& prompts, QWidget* owner, const ExportJob& job);

}  // namespace tarnwick
