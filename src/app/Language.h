#pragma once

#include <optional>

#include <QLocale>
#include <QString>

namespace tarnwick {

// The interface's language. Chinese is written in the sources; English comes from the
// translation built into the program.
enum class Language { Chinese, English };

// `--lang` wins when given ("zh" or "en", any case, a region allowed: "en_US"); otherwise an
// English system locale gives English and every other locale Chinese. Nothing for an unknown
// `--lang`.
std::optional<Language> ChooseLanguage(const QString& option, const QLocale& system);

// Puts the language's texts in force for every window made from now on. False when the
// English translation cannot be loaded; the interface then stays Chinese.
bool UseLanguage(Language language);

// The language put in force last; Chinese until English is.
Language CurrentLanguage();

}  // namespace tarnwick
