// The recent files and their menu (recentfiles.h).

#include "app/recentfiles.h"
#include "app/usersettings.h"

#include <QAction>
#include <QDir>
#include <QMenu>

RecentFiles::RecentFiles(QMenu* menu, const QString& key, QObject* parent)
    : QObject(parent), m_menu(menu), m_key(key)
{
    fillMenu();
}

void RecentFiles::add(const QString& path)
{
    QStringList paths = userSettings().value(m_key).toStringList();
    paths.removeAll(path);
    paths.prepend(path);
    userSettings().setValue(m_key, QStringList(paths.mid(0, kMost)));
    fillMenu();
}

void RecentFiles::fillMenu()
{
    m_menu->clear();
    const QStringList paths = userSettings().value(m_key).toStringList();
    for (int i = 0; i < paths.size(); ++i) {
        // The number's last digit is the entry's key (1..9, then 0); an
        // ampersand in a name is no key.
        QString number = QString::number(i + 1);
        number.insert(number.size() - 1, '&');
        const QString text = QDir::toNativeSeparators(paths[i]).replace('&', "&&");
        QAction* action = m_menu->addAction(number + " " + text);
        connect(action, &QAction::triggered, this, [this, path = paths[i]] { emit chosen(path); });
    }
    m_menu->setEnabled(!paths.isEmpty());
}
