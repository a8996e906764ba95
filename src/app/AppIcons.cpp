#include "app/AppIcons.h"

#include <functional>
#include <initializer_list>

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tarnwick {

namespace {

using Layer = void (*)(QPainter&);

// Each picture is drawn once per size on a 32 by 32 canvas scaled to the size asked for.
QIcon Draw(const std::function<void(QPainter&)>& paint) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 32.0, size / 32.0);
        paint(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// A picture in layers: a status badge drawn over the picture it qualifies.
QIcon Draw(std::initializer_list<Layer> layers) {
    return Draw([layers](QPainter& p) {
        for (Layer layer : layers) {
            layer(p);
        }
    });
}

void Disc(QPainter& p, const QColor& light, const QColor& dark) {
    QRadialGradient fill(QPointF(12, 10), 20);
    fill.setColorAt(0, light);
    fill.setColorAt(1, dark);
    p.setPen(QPen(dark.darker(130), 1.2));
    p.setBrush(fill);
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
}

void PaintAnalyse(QPainter& p) {
    p.setPen(Qt::NoPen);
    const QColor bars[] = {QColor(0x4a, 0x90, 0xd9), QColor(0x3c, 0xb3, 0x71),
                           QColor(0xf2, 0x9b, 0x30)};
    const int heights[] = {10, 16, 22};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(bars[i]);
        p.drawRoundedRect(QRectF(3 + i * 7, 27 - heights[i], 5, heights[i]), 1, 1);
    }
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 24), QPointF(30, 30));
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), 2.2));
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QRectF(13, 8, 13, 13));
}

void PaintShop(QPainter& p) {
    p.setPen(QPen(QColor(0x8a, 0x4b, 0x0f), 1.5));
    p.setBrush(QColor(0xff, 0xf4, 0xe0));
    p.drawRect(QRectF(5, 14, 22, 15));
    // The awning, in alternating stripes.
    for (int i = 0; i < 5; ++i) {
        p.setBrush(i % 2 ? QColor(Qt::white) : QColor(0xf5, 0x6a, 0x00));
        p.drawRect(QRectF(3 + i * 5.2, 6, 5.2, 8));
    }
    p.setBrush(QColor(0x4a, 0x90, 0xd9));
    p.drawRect(QRectF(13, 19, 7, 10));
}

// A badge's disc in `fill`, edged in `edge`; the painter is left to draw its mark in white.
void BadgeDisc(QPainter& p, const QRectF& disc, const QPen& edge, const QColor& fill) {
    p.setPen(edge);
    p.setBrush(fill);
    p.drawEllipse(disc);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
}

// A green disc with a white "play" mark in the top left corner: a run is under way.
void PaintRunningBadge(QPainter& p) {
    BadgeDisc(p, QRectF(0.5, 0.5, 14, 14), QPen(QColor(0x1e, 0x7d, 0x32), 1),
              QColor(0x43, 0xa0, 0x47));
    const QPointF play[] = {QPointF(5.5, 3.5), QPointF(11.5, 7.5), QPointF(5.5, 11.5)};
    p.drawPolygon(play, 3);
}

// A warning triangle over the shop's lower right corner.
void PaintWarningBadge(QPainter& p) {
    QPainterPath triangle;
    triangle.moveTo(23, 13);
    triangle.lineTo(31.5, 30.5);
    triangle.lineTo(14.5, 30.5);
    triangle.closeSubpath();
    p.setPen(QPen(QColor(0x8a, 0x60, 0x00), 1.2));
    p.setBrush(QColor(0xff, 0xc8, 0x1e));
    p.drawPath(triangle);
    p.setPen(QPen(QColor(0x33, 0x22, 0x00), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(23, 19), QPointF(23, 24.5));
    p.drawPoint(QPointF(23, 28));
}

// A "no entry" disc over the shop's lower right corner.
void PaintNoEntryBadge(QPainter& p) {
    BadgeDisc(p, QRectF(14, 14, 17, 17), QPen(QColor(0x80, 0x10, 0x10), 1.2),
              QColor(0xd9, 0x23, 0x23));
    p.drawRect(QRectF(17.5, 21, 10, 3));
}

}  // namespace

QIcon AnalyseIcon() {
    return Draw({PaintAnalyse});
}

QIcon AnalyseRunningIcon() {
    return Draw({PaintAnalyse, PaintRunningBadge});
}

QIcon HelpIcon() {
    return Draw([](QPainter& p) {
        Disc(p, QColor(0x8e, 0xc5, 0xff), QColor(0x1f, 0x6f, 0xc5));
        QFont font;
        font.setPixelSize(22);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(2, 2, 28, 28), Qt::AlignCenter, QStringLiteral("?"));
    });
}

QIcon UpgradeIcon() {
    return Draw([](QPainter& p) {
        Disc(p, QColor(0x9b, 0xe8, 0x9b), QColor(0x22, 0x8b, 0x3a));
        QPainterPath arrow;
        arrow.moveTo(16, 6);
        arrow.lineTo(25, 16);
        arrow.lineTo(19.5, 16);
        arrow.lineTo(19.5, 25);
        arrow.lineTo(12.5, 25);
        arrow.lineTo(12.5, 16);
        arrow.lineTo(7, 16);
        arrow.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(arrow);
    });
}

QIcon ExitIcon() {
    return Draw([](QPainter& p) {
        Disc(p, QColor(0xff, 0x9a, 0x8a), QColor(0xc6, 0x28, 0x28));
        p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        // A power symbol: an open ring with a bar through its gap.
        p.drawArc(QRectF(9, 9.5, 14, 14), 120 * 16, 300 * 16);
        p.drawLine(QPointF(16, 7), QPointF(16, 16));
    });
}

QIcon WatchIcon() {
    return Draw([](QPainter& p) {
        Disc(p, QColor(0xb9, 0xe6, 0xc0), QColor(0x2e, 0x7d, 0x32));
        // An eye: the shops kept in sight.
        p.setPen(QPen(Qt::white, 2.2));
        p.setBrush(Qt::NoBrush);
        QPainterPath eye;
        eye.moveTo(6, 16);
        eye.quadTo(16, 6, 26, 16);
        eye.quadTo(16, 26, 6, 16);
        p.drawPath(eye);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(12.5, 12.5, 7, 7));
    });
}

QIcon ShopIcon() {
    return Draw({PaintShop});
}

QIcon DegradedShopIcon() {
    return Draw({PaintShop, PaintWarningBadge});
}

QIcon BlockedShopIcon() {
    return Draw({PaintShop, PaintNoEntryBadge});
}

QIcon ApplicationIcon() {
    return Draw([](QPainter& p) {
        QLinearGradient fill(0, 0, 0, 32);
        fill.setColorAt(0, QColor(0xff, 0x8a, 0x2b));
        fill.setColorAt(1, QColor(0xe0, 0x4f, 0x00));
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
        p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(21, 21), QPointF(27, 27));
        p.setPen(QPen(Qt::white, 2.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(6, 6, 16, 16));
    });
}

}  // namespace tarnwick
