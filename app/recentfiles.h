#pragma once

#include <QObject>
#include <QString>

class QMenu;

// The files opened last, newest first, kept across runs in the user's
// settings under `key`, as the entries of a menu that opens them again.
class RecentFiles : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMost = 10;

    RecentFiles(QMenu* menu, const QString& key, QObject* parent);

    // Puts `path` first.
    void add(const QString& path);

signals:
    void chosen(const QString& path);

private:
    void fillMenu();

    QMenu* m_menu;
    QString m_key;
};
