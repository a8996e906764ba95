#include "app/ExportFlow.h"

#include <optional>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "app/UserPrompts.h"
#include "app/WaitCursor.h"
#include "export/XlsxExport.h"
#include "views/SystemText.h"

namespace tarnwick {

void RunExport(UserPrompts& prompts, QWidget* owner, const ExportJob& job) {
    std::optional<QString> chosen = prompts.AskSaveFileName(owner, job.request);
    if (!chosen) {
        return;
    }
    QString path = *chosen;
    if (!job.suffix.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
        path += QLatin1Char('.') + job.suffix;
    }
    ExportDone done;
    try {
        WaitCursor hourglass;
        done = job.write(QFile::encodeName(path).toStdString());
    } catch (const ExportError& error) {
        // The user asked for a file and must hear that there is none, and why.
        prompts.ShowMessage(owner, SystemText(QString::fromUtf8(error.what())));
        prompts.ShowMessage(owner, QCoreApplication::translate("ExportFlow", "导出失败."));
        return;
    }
    prompts.ShowMessage(owner, done.message);
    if (done.cutCells > 0) {
        prompts.ShowMessage(owner,
                            SystemText(QString::fromStdString(CutCellsMessage(done.cutCells))));
    }
}

}  // namespace tarnwick
