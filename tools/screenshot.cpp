// Takes a picture of the program as a user sees it: starts the main window
// in the current folder (which holds the shader files and dat/), loads a
// volume through the list and the load button (or opens a scan, as
// "Öffnen …" would, when VOLUME is not in the list), shapes a transfer
// function with clicks on the histogram, turns the view with a drag, and
// saves the window as a PNG. Given a PRESET (a caption of the transfer
// function menu), it chooses that instead of clicking points, and saves the
// view alone at half size, for a gallery. "panes" shows the volume in four
// panes, the point a little off the centre.
//
//   kastra-screenshot OUTPUT.png [VOLUME.dat|SCAN] [composite|average|mip|slice|panes] [PRESET]

#include "app/mainwindow.h"
#include "app/scanchooser.h"
#include "tfeditor/histogram.h"
#include "tools/uidriver.h"

#include <QApplication>
#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QScreen>
#include <QString>
#include <QTest>

#include <cstdio>

namespace {

struct EditorPoint
{
    double density; // 0..4095, across the histogram
    double opacity; // 0..1, down the histogram
    QColor color;
};

// A click adds the point, a double click on it picks its colour. The
// histogram's width stands for its density window.
void placePoint(Histogram* editor, const EditorPoint& point)
{
    const double window = editor->m_maxDensity - editor->m_minDensity;
    const QPoint at(int((point.density - editor->m_minDensity) / window * editor->width()),
                    int(point.opacity * (editor->height() - 1)));
    QTest::mouseClick(editor, Qt::LeftButton, Qt::NoModifier, at);
    ui::ColourDialogAnswer answer(point.color);
    ui::doubleClick(editor, at);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: kastra-screenshot OUTPUT.png [VOLUME.dat|SCAN] "
                             "[composite|average|mip|slice|panes] [PRESET]\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString volume = argc > 2 ? QString::fromLocal8Bit(argv[2]) : "ct-head.dat";
    const QString mode = argc > 3 ? QString::fromLocal8Bit(argv[3]) : "composite";
    const QString preset = argc > 4 ? QString::fromUtf8(argv[4]) : QString();

    MainWindow window;
    if (!ui::show(window))
        return 1;
    QListWidget* list = window.m_listwidget_fileList;
    const bool listed = !list->findItems(volume, Qt::MatchExactly).isEmpty();
    if (!listed)
        window.openPath(volume); // converted into the cache, as "Öffnen …" does
    // A scan of several series or volumes asks which: its chooser is
    // accepted as it comes, with the converter's reading of the values.
    const auto opened = [&window, list] {
        if (ScanChooser* chooser = window.findChild<ScanChooser*>())
            chooser->accept();
        return list->currentItem() != nullptr;
    };
    if (listed ? !ui::load(window, volume) : !QTest::qWaitFor(opened, 120000)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(volume));
        return 1;
    }

    if (!preset.isEmpty()) {
        if (!ui::chooseMenuEntry(window, "&Transferfunktion", preset)) {
            std::fprintf(stderr, "no preset %s\n", argv[4]);
            return 1;
        }
    } else {
        // Leave out the air, whose count would flatten every other bar.
        window.m_min_density->setValue(600);

        // Skin and soft tissue as a faint veil, bone opaque and ivory, metal white.
        const EditorPoint points[] = {
            {900, 0.0, QColor(0, 0, 0)},         {1010, 0.05, QColor(210, 130, 100)},
            {1150, 0.0, QColor(220, 150, 120)},  {1750, 0.0, QColor(230, 200, 170)},
            {2200, 0.85, QColor(235, 225, 205)}, {4000, 1.0, QColor(255, 255, 255)},
        };
        for (const EditorPoint& point : points)
            placePoint(window.m_graphic_view, point);
    }

    if (mode == "panes") {
        window.resize(1100, 1000);
        if (!ui::chooseMenuEntry(window, "&Ansicht", "Vier Ansichten"))
            return 1;
        QTest::qWait(500);
        // The point on a bone's edge: a click in the axial pane, top left.
        const QWidget* view = window.m_glWidget;
        QTest::mouseClick(window.centralWidget()->childAt(view->x() - view->width() / 2,
                                                          view->y() + view->height() / 3),
                          Qt::LeftButton, Qt::NoModifier,
                          QPoint(view->width() * 2 / 5, view->height() / 3));
    }
    if (mode == "average")
        ui::click(window.m_radiobutton_average);
    else if (mode == "mip")
        ui::click(window.m_radiobutton_mip);
    if (mode == "slice") {
        ui::click(window.m_checkbox_slicing);
        ui::click(window.m_radiobutton_y_axis);
        window.m_Slices->setValue(window.m_Slices->maximum() * 3 / 5);
    } else {
        // Seen from the front and above: the volume's depth (the head's
        // height) leans back from the viewer, then a slight tilt.
        ui::drag(window.m_glWidget, QPoint(300, 300), QPoint(300, 240));
        ui::drag(window.m_glWidget, QPoint(300, 300), QPoint(325, 300));
    }
    window.m_glWidget->updateGL();
    QTest::qWait(200);

    QPixmap picture = window.screen()->grabWindow(window.winId());
    if (!preset.isEmpty())
        picture = picture
                      .copy(QRect(window.m_glWidget->mapTo(&window, QPoint(0, 0)),
                                  window.m_glWidget->size()))
                      .scaledToWidth(window.m_glWidget->width() / 2, Qt::SmoothTransformation);
    if (!picture.save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("- Saved '%s'.\n", qPrintable(output));
    return 0;
}
