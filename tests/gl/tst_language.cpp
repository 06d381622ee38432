// The window in the person's language: the language from the locale and the
// "Sprache" menu; the English window with no German text left in a menu,
// dialog or tooltip; Qt's own dialogs in German; the Help menu.

#include "app/helpmenu.h"
#include "app/mainwindow.h"
#include "app/usersettings.h"
#include "app/windowlanguage.h"
#include "tests/support/consolecapture.h"
#include "tests/support/menuwalk.h"
#include "tests/support/shownwindow.h"
#include "tools/uidriver.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QTableWidget>
#include <QXmlStreamReader>
#include <QtTest>

#include <memory>

namespace {

// The texts a person reads on `root` and everything it holds.
QStringList shownTexts(QWidget* root)
{
    QStringList texts;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets << root;
    for (QWidget* widget : widgets) {
        texts << widget->toolTip() << widget->windowTitle();
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            texts << button->text();
        if (auto* label = qobject_cast<QLabel*>(widget))
            texts << label->text();
        if (auto* box = qobject_cast<QGroupBox*>(widget))
            texts << box->title();
        if (auto* table = qobject_cast<QTableWidget*>(widget))
            for (int row = 0; row < table->rowCount(); ++row)
                for (int column = 0; column < table->columnCount(); ++column)
                    texts << table->item(row, column)->text()
                          << table->horizontalHeaderItem(column)->text();
    }
    for (QAction* action : root->findChildren<QAction*>())
        texts << action->text() << action->toolTip();
    texts.removeAll(QString());
    return texts;
}

// The entry of `actions` whose caption, without its mnemonic, starts with `text`.
QAction* menuEntry(const QList<QAction*>& actions, const QString& text)
{
    for (QAction* action : actions)
        if (QString(action->text()).remove('&').startsWith(text))
            return action;
    throw std::runtime_error(("no menu entry " + text).toStdString());
}

// The dialog on screen, where one is.
QDialog* shownDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && qobject_cast<QDialog*>(widget))
            return qobject_cast<QDialog*>(widget);
    return nullptr;
}

} // namespace

class TestLanguage : public QObject
{
    Q_OBJECT

    // The German texts of the sources whose English differs, as patterns
    // (each %1 any text), from the translation file.
    QList<QRegularExpression> m_german;
    QUrl m_opened; // by the desktop's handler of files

    // The texts of `texts` that are German.
    QStringList german(const QStringList& texts) const
    {
        QStringList found;
        for (const QString& text : texts) {
            const QString plain = QString(text).remove('&');
            if (plain.contains(QRegularExpression("[äöüÄÖÜß]")) ||
                std::any_of(m_german.begin(), m_german.end(),
                            [&](const QRegularExpression& source) {
                                return source.match(plain).hasMatch();
                            }))
                found << text;
        }
        return found;
    }

    // Runs `look` on the modal dialog `trigger` opens, then closes it.
    template <typename Look> static void inModal(QAction* trigger, Look look)
    {
        bool looked = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = shownDialog();
            if (dialog) {
                look(dialog);
                dialog->close();
            }
            looked = dialog;
        });
        trigger->trigger();
        QTRY_VERIFY(looked);
    }

private slots:
    void initTestCase()
    {
        QFile ts(KASTRA_TRANSLATION_FILE);
        QVERIFY(ts.open(QIODevice::ReadOnly));
        QXmlStreamReader reader(&ts);
        QString source;
        while (reader.readNextStartElement() || !reader.atEnd()) {
            if (reader.name() == QLatin1String("source"))
                source = reader.readElementText().remove('&');
            else if (reader.name() == QLatin1String("translation") &&
                     reader.readElementText().remove('&') != source && source.size() > 2)
                m_german << QRegularExpression(
                    "^" +
                    QRegularExpression::escape(source).replace(QRegularExpression("%\\d"), ".*") +
                    "$");
        }
        QVERIFY(m_german.size() > 100);
        qputenv("KASTRA_CONVERT", KASTRA_CONVERT);
    }

    // German where the locale's language is German or no language at all,
    // English for any other; LC_ALL before LC_MESSAGES before LANG, and
    // LANGUAGE's first entry before them where a locale is set; the choice
    // of the menu before all.
    void theLanguageFollowsTheLocale()
    {
        // LC_ALL, LC_MESSAGES, LANG, LANGUAGE, the menu's choice; English?
        const std::pair<QStringList, bool> cases[] = {
            {{"", "", "", "", ""}, false},
            {{"", "", "C", "", ""}, false},
            {{"", "", "C.UTF-8", "", ""}, false},
            {{"", "", "de_AT.UTF-8@euro", "", ""}, false},
            {{"", "", "en_US.UTF-8", "", ""}, true},
            {{"", "", "fr_FR.UTF-8", "", ""}, true},
            {{"C", "", "en_US.UTF-8", "", ""}, false},
            {{"", "fr_FR.UTF-8", "de_DE.UTF-8", "", ""}, true},
            {{"", "", "de_DE.UTF-8", "en_GB:de", ""}, true},
            {{"", "", "C.UTF-8", "en_GB", ""}, false},
            {{"", "", "de_DE.UTF-8", "", "en"}, true},
            {{"en_US.UTF-8", "", "", "", "de"}, false}};
        for (const auto& [set, english] : cases) {
            const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"};
            for (int i = 0; i < 4; ++i)
                qputenv(names[i], set[i].toUtf8());
            userSettings().setValue("language", set[4]);
            QVERIFY2((chosenLanguage() == WindowLanguage::English) == english,
                     qPrintable(set.join(", ")));
        }
        userSettings().remove("language");
    }

    // The English window: every menu entry (each with a mnemonic of its
    // own), tooltip and control of the form, the dialogs of the menus, the
    // shortcut table and About (the versions of Kastra and the libraries)
    // hold no German text.
    void theEnglishWindowHasNoGermanLeft()
    {
        QVERIFY(installTranslations(WindowLanguage::English));
        const std::unique_ptr<MainWindow> window = shownWindow();
        const QList<QAction*> actions = allMenuActions(window->menuBar()->actions());
        QStringList texts = shownTexts(window.get()); // its menus' entries too
        const auto named = [&](const QString& text) { return menuEntry(actions, text); };
        for (const char* entry : {"Crop", "Keyboard shortcuts", "Open …"}) {
            named(entry)->trigger();
            QDialog* dialog = nullptr;
            QTRY_VERIFY((dialog = shownDialog()));
            texts << shownTexts(dialog);
            dialog->close();
        }
        inModal(named("About Kastra"), [&](QWidget* about) {
            texts << shownTexts(about) << qobject_cast<QMessageBox*>(about)->text();
        });
        for (const QString& part :
             {QString("kastra-convert reads scans with"), QString("Kastra " KASTRA_VERSION),
              QString("Qt ") + qVersion(), QString("Apache"), QString("ITK 5."), QString("GDCM 3."),
              QString("NIfTI")})
            QVERIFY2(texts.join('\n').contains(part), qPrintable(part));
        QVERIFY2(german(texts).isEmpty(), qPrintable(german(texts).join('\n')));
        const QStringList faults = mnemonicFaults(window->menuBar()->actions());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    // In German, Qt's own dialogs and buttons speak German too; the shortcut
    // table names every key of the window's actions once, in the keyboard's
    // words; the manual is the README.
    void helpInGerman()
    {
        QVERIFY(installTranslations(WindowLanguage::German));
        const std::unique_ptr<MainWindow> window = shownWindow();
        const QList<QAction*> actions = allMenuActions(window->menuBar()->actions());
        const auto named = [&](const QString& text) { return menuEntry(actions, text); };
        named("Öffnen …")->trigger();
        QFileDialog* dialog = nullptr;
        QTRY_VERIFY((dialog = qobject_cast<QFileDialog*>(shownDialog())));
        const QStringList buttons = shownTexts(dialog);
        QVERIFY2(buttons.contains("Abbrechen") && !buttons.contains("Cancel") &&
                     buttons.contains("Suchen in:"),
                 qPrintable(buttons.join(", ")));
        dialog->close();

        const QVector<QPair<QString, QString>> rows =
            window->findChild<HelpMenu*>()->shortcutRows();
        for (const QPair<QString, QString>& row :
             {qMakePair(QString("Strg+O"), QString("Datei › Öffnen …")),
              qMakePair(QString("Strg+Umschalt+O"), QString("Transferfunktion › Öffnen …")),
              qMakePair(QString("Pos1"), QString("Ansicht › Ansicht zurücksetzen")),
              qMakePair(QString("Strg+1"), QString("Ansicht › Standardansichten › Von vorn")),
              qMakePair(QString("Strg+Umschalt+V"), QString("Ansicht › Vier Ansichten")),
              qMakePair(QString("M"), QString("Ansicht › Abstand messen")),
              qMakePair(QString("Strg+Z"), QString("Transferfunktion › Rückgängig"))})
            QVERIFY2(rows.count(row) == 1, qPrintable(row.first + " " + row.second));

        QDesktopServices::setUrlHandler("file", this, "openUrl");
        named("Handbuch")->trigger();
        QDesktopServices::unsetUrlHandler("file");
        QFile manual(m_opened.toLocalFile());
        QVERIFY2(manual.open(QIODevice::ReadOnly), qPrintable(m_opened.toString()));
        QCOMPARE(manual.readLine(), QByteArray("# Kastra\n"));
    }

public slots:
    void openUrl(const QUrl& url) { m_opened = url; }
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
