#include "app/SaveFileDialog.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

namespace tarnwick {

namespace {

const QString kLastFolderKey = QStringLiteral("export/lastFolder");

// The dialog's standard provider names a file's type from its content when the name says
// nothing ("vexodb.qdb"), and so opens every such file it lists; this one decides from the
// name alone. It is called from the dialog's file-information thread too, so it keeps no state.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }

    QIcon icon(const QFileInfo& info) const override {
        return QFileIconProvider::icon(info.isDir() ? Folder : File);
    }

    QString type(const QFileInfo& info) const override {
        if (info.isDir()) {
            return QCoreApplication::translate("SaveFileDialog", "文件夹");
        }
        const QMimeType byName =
            QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
        if (!byName.isDefault() && !byName.comment().isEmpty()) {
            return byName.comment();
        }
        return info.suffix().isEmpty() ? QCoreApplication::translate("SaveFileDialog", "文件")
                                       : QCoreApplication::translate("SaveFileDialog", "%1 文件")
                                             .arg(info.suffix().toUpper());
    }
};

}  // namespace

QString SaveStartFolder(const QString& lastFolder, const QString& documentsFolder) {
    for (const QString& folder : {lastFolder, documentsFolder}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
            return QDir(folder).absolutePath();
        }
    }
    return QDir::homePath();
}

std::optional<QString> RunSaveFileDialog(QWidget* owner, const SaveRequest& request) {
    QSettings settings;
    const QString startFolder =
        SaveStartFolder(settings.value(kLastFolderKey).toString(),
                        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));

    // Declared before the dialog: its file-information thread uses the provider until the
    // dialog's destructor has stopped that thread.
    NameOnlyIconProvider icons;
    QFileDialog dialog(owner, QCoreApplication::translate("SaveFileDialog", "另存为"), startFolder);
    // Both before the event loop runs again: the dialog may already have begun listing the
    // folder Qt itself last visited, and it looks at the files' types only when events are
    // processed. A desktop's native dialog (GTK's) would sniff content inside our process too.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&icons);
    dialog.setOption(QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.nameFilter.isEmpty()) {
        dialog.setNameFilters(
            {request.nameFilter, QCoreApplication::translate("SaveFileDialog", "所有文件 (*)")});
    }
    if (!request.defaultSuffix.isEmpty()) {
        dialog.setDefaultSuffix(request.defaultSuffix);
    }
    dialog.setDirectory(startFolder);
    if (!request.proposedName.isEmpty()) {
        dialog.selectFile(request.proposedName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    QString chosen = dialog.selectedFiles().front();
    settings.setValue(kLastFolderKey, QFileInfo(chosen).absolutePath());
    return chosen;
}

QString ProposedFileName(const QString& nick, const std::string& runId) {
    QString name = FileNameFromText(nick);
    const bool dated =
        runId.size() >= 8 &&
        std::all_of(runId.begin(), runId.begin() + 8, [](char c) { return c >= '0' && c <= '9'; });
    if (!dated) {
        return name;
    }
    const QString day = QString::fromLatin1(runId.data(), 4) + u'-' +
                        QString::fromLatin1(runId.data() + 4, 2) + u'-' +
                        QString::fromLatin1(runId.data() + 6, 2);
    return name.isEmpty() ? day : name + u'_' + day;
}

QString FileNameFromText(const QString& text) {
    QString name;
    name.reserve(text.size());
    for (QChar c : text) {
        const bool unfit = c.unicode() < 0x20 || c == u'/' || c == u'\\' || c == u':' ||
                           c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>' ||
                           c == u'|';
        name += unfit ? QChar(u'_') : c;
    }
    name = name.trimmed();
    // "." and ".." name folders, and a leading dot hides the file.
    if (name.startsWith(u'.')) {
        name[0] = u'_';
    }
    return name;
}

}  // namespace tarnwick
