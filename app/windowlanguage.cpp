#include "app/windowlanguage.h"

#include "app/usersettings.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTranslator>

// The compiled translations are a resource of this static library, which the
// linker keeps only where something names it.
static void registerTranslations()
{
    Q_INIT_RESOURCE(kastra_translations);
}

namespace {

const char kLanguageKey[] = "language";
WindowLanguage g_installed = WindowLanguage::German; // what the window's texts were made in

QString codeOf(WindowLanguage language)
{
    return language == WindowLanguage::English ? "en" : "de";
}

bool namesNoLanguage(const QString& locale)
{
    const QString name = locale.section('.', 0, 0).section('@', 0, 0);
    return name.isEmpty() || name == "C" || name == "POSIX";
}

} // namespace

WindowLanguage languageOfLocale(const QString& locale)
{
    return namesNoLanguage(locale) || locale.startsWith("de") ? WindowLanguage::German
                                                              : WindowLanguage::English;
}

WindowLanguage systemLanguage()
{
    QString locale;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (locale.isEmpty())
            locale = qEnvironmentVariable(variable);
    // The C library reads LANGUAGE only where a locale is set.
    const QString preferred = qEnvironmentVariable("LANGUAGE").section(':', 0, 0);
    return languageOfLocale(preferred.isEmpty() || namesNoLanguage(locale) ? locale : preferred);
}

WindowLanguage chosenLanguage()
{
    const QString chosen = userSettings().value(kLanguageKey).toString();
    if (chosen == "de")
        return WindowLanguage::German;
    if (chosen == "en")
        return WindowLanguage::English;
    return systemLanguage();
}

bool installTranslations(WindowLanguage language)
{
    // Held for the program's life: the application only keeps pointers.
    static QTranslator window, qt;
    registerTranslations();
    g_installed = language;
    QCoreApplication::removeTranslator(&window);
    QCoreApplication::removeTranslator(&qt);
    bool found = true;
    if (language != WindowLanguage::German) {
        found = window.load(":/translations/kastra_" + codeOf(language) + ".qm");
        QCoreApplication::installTranslator(&window);
    }
    found =
        qt.load("qt_" + codeOf(language), QLibraryInfo::location(QLibraryInfo::TranslationsPath)) &&
        found;
    QCoreApplication::installTranslator(&qt);
    return found;
}

void addLanguageMenu(QMenu* menu, QWidget* window)
{
    QMenu* languages = menu->addMenu(QCoreApplication::translate("WindowLanguage", "Sp&rache"));
    QActionGroup* group = new QActionGroup(languages);
    const WindowLanguage current = chosenLanguage();
    for (WindowLanguage language : {WindowLanguage::German, WindowLanguage::English}) {
        // Each language by its own name, never translated.
        QAction* action =
            languages->addAction(language == WindowLanguage::German ? "&Deutsch" : "&English");
        action->setCheckable(true);
        action->setChecked(language == current);
        action->setActionGroup(group);
        QObject::connect(action, &QAction::triggered, window, [window, language] {
            userSettings().setValue(kLanguageKey, codeOf(language));
            QMainWindow* main = qobject_cast<QMainWindow*>(window);
            if (main && language != g_installed)
                main->statusBar()->showMessage(QCoreApplication::translate(
                    "WindowLanguage", "Die Sprache gilt ab dem nächsten Start von Kastra."));
        });
    }
}
