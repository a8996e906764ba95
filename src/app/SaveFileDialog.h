#pragma once

#include <optional>
#include <string>

#include <QString>

class QWidget;

namespace tarnwick {

// What a save dialog offers: the file type it lists, the suffix it adds to a name typed
// without one, and the name it proposes.
struct SaveRequest {
    QString nameFilter;     // "Excel 工作簿 (*.xlsx)"; empty lists every file
    QString defaultSuffix;  // without the dot; empty adds none
    QString proposedName;   // a bare file name; may be empty
};

// The folder a save dialog opens in: the folder of the last file saved while it still exists,
// else the user's documents folder, else the home folder.
QString SaveStartFolder(const QString& lastFolder, const QString& documentsFolder);

// Qt's own save dialog, set up so that it learns about files from their names and stat data
// only. It never opens a file it lists: opening and closing the database file (or its -wal or
// -shm) from anywhere in our process would drop every lock SQLite holds on it. Remembers the
// chosen folder for the next dialog. Nothing when the user cancels.
std::optional<QString> RunSaveFileDialog(QWidget* owner, const SaveRequest& request);

// The name an export proposes: the shop's nick and the day of its run ("皮具工坊_2026-12-09"),
// taken from the run key "yyyymmddhhmmsszzz"; the nick alone when the key holds no date.
QString ProposedFileName(const QString& nick, const std::string& runId);

// A file name made of free text (a nick): characters that a file name cannot hold, or that
// would make it a path, become "_".
QString FileNameFromText(const QString& text);

}  // namespace tarnwick
