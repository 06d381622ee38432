#pragma once

#include <QObject>
#include <QString>

class QMenu;

// The scans and volume files opened last, newest first, kept across runs in
// the user's settings, as the entries of a menu that opens them again.
class RecentFiles : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMost = 10;

    RecentFiles(QMenu* menu, QObject* parent);

    // Puts `path` first.
    void add(const QString& path);

signals:
    void chosen(const QString& path);

private:
    void fillMenu();

    QMenu* m_menu;
};
