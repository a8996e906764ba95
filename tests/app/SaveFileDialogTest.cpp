// The save dialogs: where they start, what they remember, what they propose and which language
// Qt's own parts of them speak.
#include "app/SaveFileDialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>

#include "QtPrinters.h"
#include "app/QtTranslations.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

const QString kLastFolderKey = QStringLiteral("export/lastFolder");

QString Q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

// Runs the program's save dialog and `inside` while it is shown; `inside` accepts or rejects.
std::optional<QString> WithDialog(const SaveRequest& request,
                                  const std::function<void(QFileDialog&)>& inside) {
    bool ran = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || ran) {
            return;
        }
        ran = true;
        poll.stop();
        inside(*dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    poll.start();
    std::optional<QString> chosen = RunSaveFileDialog(nullptr, request);
    EXPECT_TRUE(ran) << "no dialog was shown";
    return chosen;
}

class SaveFileDialogTest : public ::testing::Test {
protected:
    SaveFileDialogTest() : m_root(TempDatabase::MakeTempFolder()) {
        fs::create_directories(m_root / "first");
        fs::create_directories(m_root / "second");
    }
    ~SaveFileDialogTest() override {
        QSettings().remove(kLastFolderKey);
        fs::remove_all(m_root);
    }
    fs::path m_root;
};

TEST_F(SaveFileDialogTest, StartsInTheLastFolderWhileItExistsThenDocumentsThenHome) {
    const QString first = Q(m_root / "first");
    const QString documents = Q(m_root / "second");
    EXPECT_EQ(SaveStartFolder(first, documents), first);
    EXPECT_EQ(SaveStartFolder(QString(), documents), documents);
    EXPECT_EQ(SaveStartFolder(Q(m_root / "gone"), documents), documents);
    EXPECT_EQ(SaveStartFolder(Q(m_root / "gone"), Q(m_root / "gone too")), QDir::homePath());
    // A file is not a folder to start in.
    std::ofstream(m_root / "file.txt") << "x";
    EXPECT_EQ(SaveStartFolder(Q(m_root / "file.txt"), documents), documents);
}

TEST_F(SaveFileDialogTest, OffersTheFilterAndNameAndRemembersTheChosenFolder) {
    QSettings().setValue(kLastFolderKey, Q(m_root / "first"));
    const SaveRequest request{QStringLiteral("Excel 工作簿 (*.xlsx)"), QStringLiteral("xlsx"),
                              QStringLiteral("皮具工坊_2026-12-09.xlsx")};

    std::optional<QString> chosen = WithDialog(request, [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.directory().absolutePath(), Q(m_root / "first"));
        EXPECT_EQ(dialog.selectedNameFilter(), request.nameFilter);
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), request.proposedName);
        // The user goes elsewhere and types a name without a suffix.
        dialog.setDirectory(Q(m_root / "second"));
        name->setText(QStringLiteral("report"));
        static_cast<QDialog&>(dialog).accept();  // QFileDialog::accept, as the Save button
    });
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, Q(m_root / "second" / "report.xlsx"));
    EXPECT_EQ(QSettings().value(kLastFolderKey).toString(), Q(m_root / "second"));

    // The next dialog starts where the last file went; a cancel changes nothing.
    chosen = WithDialog(SaveRequest{}, [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.directory().absolutePath(), Q(m_root / "second"));
        dialog.setDirectory(Q(m_root / "first"));
        dialog.reject();
    });
    EXPECT_FALSE(chosen.has_value());
    EXPECT_EQ(QSettings().value(kLastFolderKey).toString(), Q(m_root / "second"));

    // Once that folder is gone the dialog starts in the documents folder, or home without one.
    fs::remove_all(m_root / "second");
    const QString fallback = SaveStartFolder(
        QString(), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    WithDialog(SaveRequest{}, [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.directory().absolutePath(), fallback);
    });
}

TEST(ProposedFileNameTest, NickAndRunDayMadeSafeForAFileName) {
    struct Case {
        QString nick;
        std::string runId;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("皮具工坊"), "20261209173012345", QStringLiteral("皮具工坊_2026-12-09")},
        {QStringLiteral("a/b\\c:d*e?f\"g<h>i|j"), "20120405102033250",
         QStringLiteral("a_b_c_d_e_f_g_h_i_j_2012-04-05")},
        {QStringLiteral("..hidden"), "20120405102033250", QStringLiteral("_.hidden_2012-04-05")},
        {QStringLiteral("  tab\there  "), "20120405102033250",
         QStringLiteral("tab_here_2012-04-05")},
        {QStringLiteral("店"), "not-a-key", QStringLiteral("店")},
        {QStringLiteral("店"), "2012", QStringLiteral("店")},
        {QString(), "20120405102033250", QStringLiteral("2012-04-05")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProposedFileName(c.nick, c.runId), c.expected) << c.nick.toStdString();
    }
}

TEST(QtTranslationsTest, ChineseMakesQtsOwnDialogTextsChinese) {
    ASSERT_TRUE(InstallQtTranslations(*QCoreApplication::instance(),
                                      QLocale(QLocale::Chinese, QLocale::China)))
        << "qtbase_zh_CN.qm not found (Debian package qt6-translations-l10n)";
    QFileDialog dialog(nullptr);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QString lookIn = dialog.labelText(QFileDialog::LookIn);
    const QString cancel = dialog.labelText(QFileDialog::Reject);
    // Taken away again: the other tests see Qt as it comes.
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        std::unique_ptr<QTranslator> owned(translator);
    }
    EXPECT_NE(lookIn, QStringLiteral("Look in:"));
    EXPECT_TRUE(lookIn.contains(QStringLiteral("查找范围"))) << lookIn.toStdString();
    EXPECT_TRUE(cancel.contains(QStringLiteral("取消"))) << cancel.toStdString();
    // English is Qt's own language: nothing to load, nothing missing.
    EXPECT_TRUE(InstallQtTranslations(*QCoreApplication::instance(), QLocale(QLocale::English)));
    EXPECT_TRUE(QCoreApplication::instance()->findChildren<QTranslator*>().isEmpty());
}

}  // namespace
}  // namespace tarnwick::test
