#include "tests/support/uidriver.h"

#include "app/mainwindow.h"

#include <QApplication>
#include <QColorDialog>
#include <QMouseEvent>
#include <QTest>

namespace ui {

bool show(QWidget& widget)
{
    widget.show();
    return QTest::qWaitForWindowExposed(&widget);
}

QAbstractButton* button(QWidget& parent, const QString& caption)
{
    for (QAbstractButton* candidate : parent.findChildren<QAbstractButton*>())
        if (candidate->text() == caption)
            return candidate;
    return nullptr;
}

void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, button->height() / 2));
}

bool click(QWidget& parent, const QString& caption)
{
    QAbstractButton* target = button(parent, caption);
    if (target)
        click(target);
    return target;
}

bool load(MainWindow& window, const QString& name)
{
    QListWidget* list = window.m_listwidget_fileList;
    if (!name.isEmpty()) {
        const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
        if (items.size() != 1)
            return false;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(items.first()).center());
    }
    QAbstractButton* loadButton = button(window, "Datei Laden");
    if (loadButton)
        QTest::mouseClick(loadButton, Qt::LeftButton);
    return loadButton;
}

bool chooseMenuEntry(QMainWindow& window, const QString& menu, const QString& entry)
{
    QMenuBar* bar = window.menuBar();
    for (QAction* action : bar->actions()) {
        if (action->text() != menu || !action->menu())
            continue;
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                          bar->actionGeometry(action).center());
        QMenu* opened = action->menu();
        if (!QTest::qWaitForWindowExposed(opened))
            return false;
        for (QAction* item : opened->actions())
            if (item->text() == entry) {
                QTest::mouseClick(opened, Qt::LeftButton, Qt::NoModifier,
                                  opened->actionGeometry(item).center());
                return true;
            }
    }
    return false;
}

void move(QWidget* widget, QPoint to, Qt::MouseButtons held)
{
    QMouseEvent event(QEvent::MouseMove, to, widget->mapToGlobal(to), Qt::NoButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void drag(QWidget* widget, QPoint from, QPoint to, Qt::MouseButton button)
{
    QTest::mousePress(widget, button, Qt::NoModifier, from);
    move(widget, to, button);
    QTest::mouseRelease(widget, button, Qt::NoModifier, to);
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
        if (choice.isValid()) {
            dialog->setCurrentColor(choice);
            dialog->accept();
        } else {
            dialog->reject();
        }
    });
    m_timer.start(10);
}

} // namespace ui
