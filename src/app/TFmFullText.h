#pragma once

#include <QDialog>

class QAbstractItemModel;
class QPlainTextEdit;
class QPushButton;

namespace tarnwick {

// One row of a grid with every text whole: a long title, a variant on several lines, a review
// a cell and its tooltip show only in part. Plain and selectable, so that the user can read
// and copy it with the keyboard alone. One instance, reused for every row.
class TFmFullText : public QDialog {
    Q_OBJECT

public:
    explicit TFmFullText(QWidget* parent = nullptr);

    // Each column's caption and whole text, the row's texts in the columns' order; shown,
    // raised and focused.
    void ShowRow(const QString& caption, const QAbstractItemModel& model, int row);
    QString Text() const;

private:
    QPlainTextEdit* mmoText;
    QPushButton* btnClose;
};

}  // namespace tarnwick
