#include "views/PlainText.h"

#include <QLabel>
#include <QTextDocument>

namespace tarnwick {

namespace {

bool Hides(char16_t c) {
    if (c == u'\t' || c == u'\n' || c == u'\r') {
        return false;
    }
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

QString ShownText(const QString& text) {
    QString shown = text;
    for (QChar& c : shown) {
        if (Hides(c.unicode())) {
            c = QChar(QChar::ReplacementCharacter);
        }
    }
    return shown;
}

QString CutText(const QString& text, int length) {
    if (text.size() <= length) {
        return text;
    }
    // Never half a surrogate pair at the cut.
    qsizetype kept = length - 1;
    if (kept > 0 && text.at(kept - 1).isHighSurrogate()) {
        --kept;
    }
    return text.left(kept) + QChar(0x2026);
}

QString TipText(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    // convertFromPlainText escapes every "<", ">", "&" and quotation mark and turns line
    // breaks into <br>: the result is our own paragraph with the text as its characters.
    return Qt::convertFromPlainText(CutText(ShownText(text), kTipLength), Qt::WhiteSpaceNormal);
}

void MakePlainLabel(QLabel& label) {
    label.setTextFormat(Qt::PlainText);
    label.setMinimumWidth(0);
    label.setSizePolicy(QSizePolicy::Ignored, label.sizePolicy().verticalPolicy());
}

}  // namespace tarnwick
