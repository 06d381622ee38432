#pragma once

#include <QString>

class QMenu;
class QWidget;

// The language the window speaks. German is the window's own (its texts
// in the source are German); English comes from the translation file.
enum class WindowLanguage { German, English };

// The language of a locale's name as the C library reads it ("de_DE.UTF-8",
// "en_GB", "C"): German for German and for no language at all (C, POSIX or
// nothing), English for every other.
WindowLanguage languageOfLocale(const QString& locale);

// The system's language for messages: LANGUAGE's first entry where a locale
// is set, else LC_ALL, LC_MESSAGES, LANG, the first that is set.
WindowLanguage systemLanguage();

// The language chosen in "Ansicht" > "Sprache", else the system's.
WindowLanguage chosenLanguage();

// Puts the window's translation and Qt's own (its dialogs and buttons) for
// `language` into the application; German needs no translation of the
// window's texts. Returns false where a translation was not found.
bool installTranslations(WindowLanguage language);

// "Sprache" in `menu`: "Deutsch" and "English", the choice remembered and
// taken at the next start, as the window's texts are made once.
void addLanguageMenu(QMenu* menu, QWidget* window);
