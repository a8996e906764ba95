#pragma once

#include <QString>

class QLabel;

namespace tarnwick {

// Every stored or page text the windows show goes through here. The competitor writes those
// texts, so none of them may act as markup: Qt takes any text that looks like HTML for rich
// text in a tooltip, a message box or a label left to its automatic detection, and a title
// such as "<img src=file://...>" or a 1,000-row table would then render.

// The most of a text a tooltip shows; the whole text is reachable in the window's own views.
inline constexpr int kTipLength = 500;

// The text with the characters that would hide or reorder what the user reads made visible:
// controls (but tab and line breaks), DEL, C1 controls and the bidirectional overrides and
// isolates each become U+FFFD.
QString ShownText(const QString& text);

// At most `length` characters of the text, the last of them "…" when it was cut.
QString CutText(const QString& text, int length);

// A tooltip that shows the text as written, cut to kTipLength characters and wrapped: rich
// text of ours with the text escaped in it, since only a rich-text tooltip wraps its lines.
QString TipText(const QString& text);

// A label that never reads its text as markup. It gives up width to its neighbours rather
// than widen the window for a long text.
void MakePlainLabel(QLabel& label);

}  // namespace tarnwick
