#pragma once

#include <string>

#include <QString>
#include <Qt>

#include "base/DateTime.h"

namespace tarnwick {

// A cell's whole text, line breaks kept, for the row's text view: what the cell and its
// tooltip show only in part.
inline constexpr int kFullTextRole = Qt::UserRole + 20;

// How the views write the stored values. Stored texts are UTF-8 already.
QString Utf8Text(const std::string& text);
// A stored text on one line: every line break becomes " / ", so that a variant such as
// "颜色分类：粉红色\n尺码：XL" shows both parts in a one-line cell.
QString OneLine(const QString& text);
// A money amount as the item list shows it: "¥1,234.50".
QString MoneyText(double value);
// Two decimals, no thousands separator: "1234.50".
QString DecimalText(double value);
// "yyyy-mm-dd hh:mm:ss"; empty for the zero value, which means nothing was stored.
QString DateTimeText(DateTime value);

}  // namespace tarnwick
