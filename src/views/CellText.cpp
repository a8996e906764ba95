#include "views/CellText.h"

#include <QLocale>

namespace tarnwick {

QString Utf8Text(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString OneLine(const QString& text) {
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
        return text;
    }
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    line.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    line.replace(QLatin1Char('\n'), QStringLiteral(" / "));
    return line;
}

QString MoneyText(double value) {
    static const QLocale china(QLocale::Chinese, QLocale::China);
    return china.toCurrencyString(value, QStringLiteral("¥"), 2);
}

// QString::number, not printf: QApplication switches the C locale to the user's, which may
// write a decimal comma.
QString DecimalText(double value) {
    return QString::number(value, 'f', 2);
}

QString DateTimeText(DateTime value) {
    if (value == DateTime()) {
        return {};
    }
    return QString::fromStdString(value.ToText().substr(0, 19));
}

}  // namespace tarnwick
