#pragma once

#include <ostream>

#include <QString>

// Readable failure messages for Qt texts. Every test file of this program includes this before
// comparing texts: gtest's printer for QString is instantiated once per program, and a file
// without this overload would otherwise print the text as a list of UTF-16 code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
