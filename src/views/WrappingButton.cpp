#include "views/WrappingButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace tarnwick {

namespace {
constexpr int kTextMargin = 4;
constexpr int kWrapFlags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
}  // namespace

WrappingButton::WrappingButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize WrappingButton::sizeHint() const {
    // Room for the caption on two lines at half its one-line width.
    return {QPushButton::sizeHint().width() / 2 + 2 * kTextMargin,
            2 * fontMetrics().height() + 2 * kTextMargin + 4};
}

QSize WrappingButton::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

void WrappingButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    QRect textRect = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    textRect.adjust(kTextMargin / 2, 0, -kTextMargin / 2, 0);
    if (isDown()) {
        textRect.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                           style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    style()->drawItemText(&painter, textRect, kWrapFlags, palette(), isEnabled(), caption,
                          QPalette::ButtonText);
}

}  // namespace tarnwick
