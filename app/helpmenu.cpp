#include "app/helpmenu.h"

#include "app/scanopener.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QSet>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

using Rows = QVector<QPair<QString, QString>>;

// The entries with a key of `actions` and of their menus, in the menus'
// order, each named by its path; the actions taken go to `taken`.
void addKeyedEntries(const QList<QAction*>& actions, const QString& path, Rows& rows,
                     QSet<const QAction*>& taken)
{
    for (const QAction* action : actions) {
        const QString name = path + QString(action->text()).remove('&');
        if (action->menu())
            addKeyedEntries(action->menu()->actions(), name + " › ", rows, taken);
        else if (!action->shortcut().isEmpty() && !taken.contains(action))
            rows << qMakePair(action->shortcut().toString(QKeySequence::NativeText), name);
        taken << action;
    }
}

} // namespace

HelpMenu::HelpMenu(QMenuBar* bar, QWidget* window) : QObject(window), m_bar(bar), m_window(window)
{
    QMenu* menu = bar->addMenu(tr("&Hilfe"));
    menu->addAction(tr("&Tastenkürzel"), this, &HelpMenu::showShortcuts);
    menu->addAction(tr("&Handbuch"), this, &HelpMenu::openManual);
    menu->addSeparator();
    menu->addAction(tr("Ü&ber Kastra"), this,
                    [this] { QMessageBox::about(m_window, tr("Über Kastra"), aboutText()); });
}

QVector<QPair<QString, QString>> HelpMenu::shortcutRows() const
{
    Rows rows;
    QSet<const QAction*> taken;
    addKeyedEntries(m_bar->actions(), {}, rows, taken);
    // Those of the views' own menus, outside the menu bar.
    for (const QAction* action : m_window->findChildren<QAction*>())
        if (!taken.contains(action))
            addKeyedEntries({const_cast<QAction*>(action)}, {}, rows, taken);
    rows << qMakePair(tr("Linke Taste ziehen (Ansicht)"), tr("Das Volumen drehen"))
         << qMakePair(tr("Mittlere Taste ziehen, Umschalt und linke Taste ziehen"),
                      tr("Das Bild verschieben"))
         << qMakePair(tr("Mausrad (Ansicht)"),
                      tr("Zur Stelle unter der Maus zoomen; über einer Schicht: blättern"))
         << qMakePair(tr("Strg und Mausrad (Schicht)"), tr("Zoomen"))
         << qMakePair(tr("Klick (Histogramm)"), tr("Einen Punkt setzen"))
         << qMakePair(tr("Punkt ziehen (Histogramm)"), tr("Den Punkt verschieben"))
         << qMakePair(tr("Doppelklick auf einen Punkt"), tr("Seine Farbe wählen"))
         << qMakePair(tr("Rechtsklick auf einen Punkt"), tr("Den Punkt löschen"))
         << qMakePair(tr("Klick oder Ziehen (Schnitt der vier Ansichten)"),
                      tr("Den gemeinsamen Punkt setzen"))
         << qMakePair(tr("Rechte Taste ziehen (Schnitt)"), tr("Das Fenster der Schnitte"))
         << qMakePair(tr("Pfeiltasten, Bild auf, Bild ab (Schnitt)"),
                      tr("Den Punkt um ein Voxel, die Schicht um eine bewegen"))
         << qMakePair(tr("Entf, Esc (Schnitt)"),
                      tr("Die Strecke unter der Maus löschen, eine begonnene verwerfen"))
         << qMakePair(tr("Doppelklick (vier Ansichten)"), tr("Eine Ansicht allein, wieder vier"));
    return rows;
}

void HelpMenu::showShortcuts()
{
    QDialog* dialog = new QDialog(m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(tr("Tastenkürzel"));
    const QVector<QPair<QString, QString>> rows = shortcutRows();
    QTableWidget* table = new QTableWidget(rows.size(), 2, dialog);
    table->setHorizontalHeaderLabels({tr("Taste oder Maus"), tr("Befehl")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    for (int row = 0; row < rows.size(); ++row) {
        table->setItem(row, 0, new QTableWidgetItem(rows[row].first));
        table->setItem(row, 1, new QTableWidgetItem(rows[row].second));
    }
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    QDialogButtonBox* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QVBoxLayout* layout = new QVBoxLayout(dialog);
    layout->addWidget(table);
    layout->addWidget(buttons);
    dialog->resize(760, 560);
    dialog->show();
}

QString HelpMenu::manualPath()
{
    const QDir executableFolder(QCoreApplication::applicationDirPath());
    for (const QString& path : {executableFolder.filePath(KASTRA_MANUAL_FROM_BINARY),
                                QStringLiteral(KASTRA_SOURCE_MANUAL)})
        if (QFileInfo(path).isFile())
            return QFileInfo(path).absoluteFilePath();
    return {};
}

void HelpMenu::openManual()
{
    const QString path = manualPath();
    if (path.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        QMessageBox::warning(m_window, tr("Handbuch"),
                             path.isEmpty() ? tr("Das Handbuch (README.md) ist nicht installiert.")
                                            : tr("Kein Programm öffnet %1.").arg(path));
}

QString HelpMenu::aboutText() const
{
    QProcess converter;
    converter.start(ScanOpener::converter(), {"--libraries"});
    const bool listed = converter.waitForFinished(10000) && converter.exitCode() == 0;
    const QString libraries =
        listed ? QString::fromUtf8(converter.readAllStandardOutput()).trimmed().toHtmlEscaped()
               : tr("kastra-convert antwortet nicht: seine Bibliotheken sind unbekannt.");
    return tr("<h3>Kastra %1</h3>"
              "<p>Volumen wie CT- und MRT-Scans betrachten: Schichten, Raycasting, "
              "Transferfunktionen.</p>"
              "<p>Kastra steht unter der Apache-Lizenz, Version 2.0.</p>"
              "<p>Qt %2 (GNU LGPL, Version 3)</p>"
              "<p>kastra-convert liest die Scans mit:<br>%3</p>")
        .arg(KASTRA_VERSION, qVersion(), QString(libraries).replace('\n', "<br>"));
}
