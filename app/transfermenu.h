#pragma once

#include <QObject>
#include <QString>

class QMenu;
class QWidget;
class RecentFiles;
class TransferTarget;

// The window's transfer-function menu: the presets, opening and saving
// function files (and the recent ones), and the export for ParaView. What
// it opens or picks replaces the editor's points and density window.
class TransferMenu : public QObject
{
    Q_OBJECT

public:
    // Dialogs and messages open over `window`.
    TransferMenu(QMenu* menu, TransferTarget* target, QWidget* window);

    // Applies the function file at `path`; a file that cannot be read is
    // refused in a message box, and the current function stays.
    void open(const QString& path);

private:
    void chooseAndOpen();
    void save();
    void exportForParaView();
    // A file name to write, asked for with `title` and `filter`; ".json" is
    // added where it has no extension. Empty when the user cancels.
    QString askFileToWrite(const QString& title, const QString& filter);
    // Says `what` (with %1 for the file's name) could not be done, and why.
    void refuse(const QString& what, const QString& path, const QString& fault);
    static QString filter();

    TransferTarget* m_target;
    QWidget* m_window;
    RecentFiles* m_recent;
};
