#pragma once

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QMenu>
#include <QSet>
#include <QStringList>

// Every action of `actions` and of their menus, depth first.
inline QList<QAction*> allMenuActions(const QList<QAction*>& actions)
{
    QList<QAction*> all;
    for (QAction* action : actions) {
        all << action;
        if (action->menu())
            all << allMenuActions(action->menu()->actions());
    }
    return all;
}

// The entries, named by their path, that lack a mnemonic or share one with
// an entry of their menu: where two share one, Qt moves between them
// instead of choosing.
inline QStringList mnemonicFaults(const QList<QAction*>& actions, const QString& where = {})
{
    QStringList faults;
    QSet<int> keys;
    for (QAction* action : actions) {
        const int key = QKeySequence::mnemonic(action->text())[0];
        if (!action->isSeparator() && (key == 0 || keys.contains(key)))
            faults << where + " > " + action->text();
        keys.insert(key);
        if (action->menu())
            faults << mnemonicFaults(action->menu()->actions(), where + " > " + action->text());
    }
    return faults;
}
