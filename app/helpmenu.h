#pragma once

#include <QObject>
#include <QPair>
#include <QString>
#include <QVector>

class QMenuBar;
class QWidget;

// The window's "Hilfe" menu: the keys and mouse gestures in a table, the
// manual (the installed README) in the person's viewer, and what Kastra is
// made of.
class HelpMenu : public QObject
{
    Q_OBJECT

public:
    HelpMenu(QMenuBar* bar, QWidget* window);

    // The table's rows, key or gesture and what it does: every action of
    // the window that has a key, taken from the action and named by its
    // menus ("Ansicht › Standardansichten › Von vorn"), then the mouse.
    QVector<QPair<QString, QString>> shortcutRows() const;
    // The README as installed beside the program, else the one of the
    // source tree it was built from; empty where neither is found.
    static QString manualPath();
    // Kastra's version and licence, Qt's, and those of the libraries the
    // converter links, as `kastra-convert --libraries` lists them.
    QString aboutText() const;

private:
    void showShortcuts();
    void openManual();

    QMenuBar* m_bar;
    QWidget* m_window;
};
