#include "tools/uidriver.h"

#include "app/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTest>

namespace ui {

bool show(QWidget& widget)
{
    widget.show();
    return QTest::qWaitForWindowExposed(&widget);
}

void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, button->height() / 2));
}

bool click(QWidget& parent, const QString& caption)
{
    for (QAbstractButton* button : parent.findChildren<QAbstractButton*>())
        if (ui::caption(button->text()) == ui::caption(caption))
            return click(button), true;
    return false;
}

bool load(MainWindow& window, const QString& name)
{
    QListWidget* list = window.m_listwidget_fileList;
    const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
    if (!name.isEmpty() && items.size() != 1)
        return false;
    if (!name.isEmpty())
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(items.first()).center());
    return click(window, "Datei Laden");
}

QString caption(QString text)
{
    return text.replace(QRegularExpression("&(.)"), "\\1");
}

bool chooseMenuEntry(QMainWindow& window, const QString& menu, const QString& entry)
{
    for (QAction* action : window.menuBar()->actions()) {
        if (caption(action->text()) != caption(menu) || !action->menu())
            continue;
        // On a busy machine a click may reach the bar before it takes it,
        // or the menu may show late: the click is repeated until it shows.
        QMenu* opened = action->menu();
        for (int click = 0; click < 3 && !opened->isVisible(); ++click) {
            QTest::mouseClick(window.menuBar(), Qt::LeftButton, Qt::NoModifier,
                              window.menuBar()->actionGeometry(action).center());
            if (QTest::qWaitFor([opened] { return opened->isVisible(); }, 10000))
                break;
        }
        // The menu takes synthetic clicks once it has laid its entries out,
        // whether or not the window system has shown it yet.
        for (QAction* item : opened->actions())
            if (caption(item->text()) == caption(entry) && opened->isVisible())
                return QTest::mouseClick(opened, Qt::LeftButton, Qt::NoModifier,
                                         opened->actionGeometry(item).center()),
                       true;
    }
    return false;
}

void move(QWidget* widget, QPoint to, Qt::MouseButtons held)
{
    QMouseEvent event(QEvent::MouseMove, to, widget->mapToGlobal(to), Qt::NoButton, held, {});
    QApplication::sendEvent(widget, &event);
}

void drag(QWidget* widget, QPoint from, QPoint to, Qt::MouseButton button)
{
    QTest::mousePress(widget, button, Qt::NoModifier, from);
    move(widget, to, button);
    QTest::mouseRelease(widget, button, Qt::NoModifier, to);
}

void wheel(QWidget* widget, QPoint at, int notches, Qt::KeyboardModifiers modifiers)
{
    QWheelEvent event(at, widget->mapToGlobal(at), {}, QPoint(0, 120 * notches), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

void doubleClick(QWidget* widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, at);
}

ColourDialogAnswer::ColourDialogAnswer(QColor choice, std::function<void()> before)
{
    connect(&m_timer, &QTimer::timeout, this, [this, choice, before] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        m_timer.stop();
        opened = true;
        initial = dialog->currentColor();
        parent = dialog->parentWidget();
        if (before)
            before();
        dialog->setCurrentColor(choice);
        choice.isValid() ? dialog->accept() : dialog->reject();
    });
    m_timer.start(10);
}

} // namespace ui
