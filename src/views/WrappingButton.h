#pragma once

#include <QPushButton>

namespace tarnwick {

// A push button whose caption wraps onto further lines when it is wider than the button. The
// caption stays one text; only the drawing breaks it.
class WrappingButton : public QPushButton {
    Q_OBJECT

public:
    explicit WrappingButton(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tarnwick
