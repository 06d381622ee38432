#pragma once

#include <QColor>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QTimer>

#include <functional>

class MainWindow;
class QAbstractButton;
class QMainWindow;
class QWidget;

// Drives the program as a user does, with real mouse events, for the tests
// and the screenshot tool. Controls are found by their captions.
namespace ui {

// Shows the widget and waits until the window system has exposed it.
bool show(QWidget& widget);

// Clicks a button where a user would: on the indicator or label at its left.
void click(QAbstractButton* button);

// Clicks the button (push, check or radio) captioned `caption`, with or
// without the marks of its mnemonic; false when there is none.
bool click(QWidget& parent, const QString& caption);

// Clicks `name` in the file list (nothing when empty) and presses "Datei Laden";
// false when the name is not listed.
bool load(MainWindow& window, const QString& name);

// A caption as shown, without the marks of its mnemonic: "Ö&ffnen" is "Öffnen".
QString caption(QString text);

// Opens the menu `menu` from the menu bar and chooses its entry `entry`,
// both named with or without their mnemonics.
bool chooseMenuEntry(QMainWindow& window, const QString& menu, const QString& entry);

// A mouse move to `to` with `held` buttons down.
void move(QWidget* widget, QPoint to, Qt::MouseButtons held);

// A drag: a press at `from`, one move to `to` and the release there.
void drag(QWidget* widget, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton);

// The wheel turned over `widget` at `at` by `notches` (positive: away from
// the user), with `modifiers` held.
void wheel(QWidget* widget, QPoint at, int notches, Qt::KeyboardModifiers modifiers = {});

// A double click as the window system delivers it: press, release, double click, release.
void doubleClick(QWidget* widget, QPoint at);

// Answers the next colour dialog from inside its modal loop: runs `before`,
// then picks `choice`, or cancels when `choice` is invalid.
class ColourDialogAnswer : public QObject
{
public:
    explicit ColourDialogAnswer(QColor choice, std::function<void()> before = {});
    bool opened = false;
    QColor initial;            // the colour the dialog offered
    QWidget* parent = nullptr; // the dialog's parent

private:
    QTimer m_timer; // polls: the dialog opens once the double click that asks for it is in
};

} // namespace ui
