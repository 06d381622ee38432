// The recent files and their menu (recentfiles.h).

#include "app/recentfiles.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QSettings>

namespace {

const char* const kKey = "recentFiles";

QSettings settings()
{
    return QSettings("kastra", "kastra");
}

} // namespace

RecentFiles::RecentFiles(QMenu* menu, QObject* parent) : QObject(parent), m_menu(menu)
{
    fillMenu();
}

void RecentFiles::add(const QString& path)
{
    QStringList paths = settings().value(kKey).toStringList();
    paths.removeAll(path);
    paths.prepend(path);
    settings().setValue(kKey, QStringList(paths.mid(0, kMost)));
    fillMenu();
}

void RecentFiles::fillMenu()
{
    m_menu->clear();
    const QStringList paths = settings().value(kKey).toStringList();
    for (int i = 0; i < paths.size(); ++i) {
        // The number is the entry's key; an ampersand in a name is no key.
        const QString text = QDir::toNativeSeparators(paths[i]).replace('&', "&&");
        QAction* action = m_menu->addAction(QString("&%1 %2").arg(i + 1).arg(text));
        connect(action, &QAction::triggered, this, [this, path = paths[i]] { emit chosen(path); });
    }
    m_menu->setEnabled(!paths.isEmpty());
}
