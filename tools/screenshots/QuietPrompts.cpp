#include "QuietPrompts.h"

#include <cstdio>

namespace tarnwick::screenshots {

namespace {
void Print(const char* kind, const QString& text) {
    std::fprintf(stderr, "screenshots: %s: %s\n", kind, text.toUtf8().constData());
}
}  // namespace

void QuietPrompts::ShowInfoBox(QWidget*, const QString& text) {
    Print("info", text);
}
void QuietPrompts::ShowMessage(QWidget*, const QString& text) {
    Print("message", text);
}
void QuietPrompts::ShowError(QWidget*, const QString& text) {
    Print("error", text);
}

bool QuietPrompts::AskYesNo(QWidget*, const QString& text) {
    Print("question", text);
    return false;
}

std::optional<QString> QuietPrompts::AskSaveFileName(QWidget*, const QString&) {
    return std::nullopt;
}

bool QuietPrompts::Open(const std::string& url) {
    Print("open", QString::fromStdString(url));
    return true;
}

}  // namespace tarnwick::screenshots
