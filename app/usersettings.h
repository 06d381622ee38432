#pragma once

#include <QSettings>

// The user's settings of the program, kept across runs: the recent files and
// functions, the last folders, the window's geometry, the view's choices.
inline QSettings userSettings()
{
    return QSettings("kastra", "kastra");
}
