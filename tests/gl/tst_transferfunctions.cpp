// Transfer functions in the main window: the presets' pictures on a real CT
// and the generated head, the first picture of a scan that is no CT, the
// view following a new density window at once, function files opened from
// the menu, slices in the density window.

#include "app/mainwindow.h"
#include "app/transfermenu.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tools/phantom/phantoms.h"
#include "tools/uidriver.h"
#include "volume/volumewriter.h"

#include <QMessageBox>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>

namespace {

// Shares of the drawn pixels (any channel above 30) by colour: bone ivory to
// white, skin and tissue warm, grey.
struct Colours
{
    double drawn = 0, bone = 0, warm = 0, grey = 0;
};

Colours coloursOf(const QImage& picture)
{
    Colours shares;
    int drawn = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            const int r = c.red(), g = c.green(), b = c.blue();
            if (std::max({r, g, b}) <= 30)
                continue;
            ++drawn;
            shares.bone += r > 110 && r < 1.3 * b;
            shares.warm += r >= 1.4 * b;
            shares.grey += std::abs(r - g) <= 6 && std::abs(g - b) <= 6;
        }
    const double n = std::max(drawn, 1);
    return {drawn / double(picture.width() * picture.height()), shares.bone / n, shares.warm / n,
            shares.grey / n};
}

// What the window shows of its transfer function: the density window, the points, and digests
// of the table and the picture.
QString shown(MainWindow& window)
{
    GLWidget* view = window.m_glWidget;
    QString text = QString("%1..%2:").arg(view->m_minDensity).arg(view->m_maxDensity);
    for (const ControlPoint& p : window.m_graphic_view->m_controlPoints)
        text += QString(" %1,%2 %3").arg(p.x).arg(p.y).arg(p.color.name());
    view->updateGL();
    const QImage picture = view->grabFrameBuffer();
    const std::vector<TransferEntry>& table = view->transferTable();
    return text + QString(" table %1 picture %2")
                      .arg(qHashBits(table.data(), table.size() * sizeof(TransferEntry)))
                      .arg(qHashBits(picture.constBits(), size_t(picture.sizeInBytes())));
}

} // namespace

class TestTransferFunctions : public QObject
{
    Q_OBJECT

    TestFolder m_folder{TestFolder::WithShaders};
    ConsoleCapture m_console;
    std::unique_ptr<MainWindow> m_window;

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(QDir::currentPath() + "/config"));
        QDir().mkpath("dat");
        QVERIFY(writeVolumeFile("dat/head.dat", makeHeadPhantom()));
        QFile::link(KASTRA_SAMPLE_CT, "dat/ct-head.dat");
        m_window = std::make_unique<MainWindow>();
        QVERIFY(ui::show(*m_window));
    }

    // Each preset sets its window and shows what it promises, in shares of
    // the drawn pixels of the unturned view.
    void presetsShowWhatTheyPromise_data()
    {
        QTest::addColumn<QString>("volume");
        for (const char* volume : {"ct-head.dat", "head.dat"})
            QTest::newRow(volume) << volume;
    }

    void presetsShowWhatTheyPromise()
    {
        QFETCH(QString, volume);
        const std::map<QString, std::function<bool(const Colours&)>> promises = {
            {"CT: Knochen", [](const Colours& c) { return c.bone > 0.6 && c.warm < 0.05; }},
            {"CT: Haut und Knochen", [](const Colours& c) { return c.warm > 0.1 && c.bone > 0.3; }},
            {"CT: Weichteile und Gefäße (Kontrast)",
             [](const Colours& c) { return c.warm > 0.2; }}, // the phantom's 0.24 at 1/8 voxel
            {"CT: Lunge und Atemwege", [](const Colours& c) { return c.bone < 0.02; }},
            {"MR: Gehirn", [](const Colours& c) { return c.drawn > 0.03; }},
            {"Graurampe (1. bis 99,5. Perzentil)",
             [](const Colours& c) { return c.drawn > 0.03 && c.grey > 0.99; }},
            {"Objekt vor durchsichtigem Hintergrund",
             [](const Colours& c) { return c.drawn > 0.03 && c.warm > 0.5; }},
        };
        if (!QFile::exists("dat/" + volume))
            QSKIP("no CT head: tools/test.sh converts one into build/run/dat");
        QVERIFY(ui::load(*m_window, volume));
        QCOMPARE(promises.size(), transferPresets().size());
        for (const TransferPreset& preset : transferPresets()) {
            QVERIFY(ui::chooseMenuEntry(*m_window, "&Transferfunktion", preset.name));
            const TransferFunction wanted = preset.make(m_window->densityHistogram());
            QCOMPARE(m_window->m_min_density->value(), wanted.minDensity);
            QCOMPARE(m_window->m_max_density->value(), wanted.maxDensity);
            m_window->m_glWidget->updateGL();
            const Colours c = coloursOf(m_window->m_glWidget->grabFrameBuffer());
            QVERIFY2(promises.at(ui::caption(preset.name))(c),
                     qPrintable(QString::asprintf("%s: %.3f drawn; %.3f bone, %.3f warm, %.3f grey",
                                                  preset.name, c.drawn, c.bone, c.warm, c.grey)));
        }
    }

    // The grey ramp spans the 1st to the 99.5th percentile of the samples.
    // In a projection its top is opaque, so that the densest voxels show
    // white, not the grey of 0.3 opacity: switched to MIP with it, or chosen
    // there; back in Composite, it is the ramp as made.
    void theGreyRampSpansThePercentiles()
    {
        const SampleVolume head = makeHeadPhantom();
        std::vector<uint16_t> sorted = head.samples;
        std::sort(sorted.begin(), sorted.end());
        const auto percentile = [&](double share) {
            return int(sorted[size_t(std::ceil(share * double(sorted.size()))) - 1]);
        };
        QVERIFY(ui::load(*m_window, "head.dat"));
        QVERIFY(ui::chooseMenuEntry(*m_window, "&Transferfunktion",
                                    "Graurampe (1. bis 99,5. Perzentil)"));
        QCOMPARE(m_window->m_min_density->value(), percentile(0.01));
        QCOMPARE(m_window->m_max_density->value(), percentile(0.995));
        const auto brightest = [this] {
            m_window->m_glWidget->updateGL();
            const QImage picture = m_window->m_glWidget->grabFrameBuffer();
            int grey = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    grey = std::max(grey, qGray(picture.pixel(x, y)));
            return grey;
        };
        QTest::mouseClick(m_window->m_radiobutton_mip, Qt::LeftButton);
        QCOMPARE(brightest(), 255);
        QVERIFY(ui::chooseMenuEntry(*m_window, "&Transferfunktion", "CT: Knochen"));
        QVERIFY(ui::chooseMenuEntry(*m_window, "&Transferfunktion",
                                    "Graurampe (1. bis 99,5. Perzentil)"));
        QCOMPARE(brightest(), 255);
        QTest::mouseClick(m_window->m_radiobutton_composite, Qt::LeftButton);
        QCOMPARE(m_window->transferFunction().points.back().opacity, 0.3);
    }

    // A scan that is no CT, opened by its path, shows its object and not
    // the noise around it, nor the padding outside the scanner's field of
    // view, in each mode: a ball in noise within a cylinder. The ball's
    // outline is where a table clear up to the noise's top draws. MIP shows
    // the ramp's opaque form, its densest voxels near white.
    void aScanThatIsNoCtShowsItsObject()
    {
        SampleVolume scan(64, 64, 64);
        for (int z = 0, i = 0; z < 64; ++z)
            for (int y = 0; y < 64; ++y)
                for (int x = 0; x < 64; ++x, ++i) {
                    const int noise = int((uint32_t(i) * 2654435761u) >> 16) % 121;
                    const int r2 = (x - 32) * (x - 32) + (y - 32) * (y - 32);
                    scan.samples[size_t(i)] =
                        uint16_t(r2 > 30 * 30                         ? 0
                                 : r2 + (z - 32) * (z - 32) < 14 * 14 ? 1900 + 2 * noise
                                                                      : 240 + noise);
                }
        QVERIFY(writeVolumeFile("scan.dat", scan));
        MainWindow window;
        QVERIFY(ui::show(window));
        window.openPath("scan.dat");
        std::map<QString, QImage> pictures;
        for (QRadioButton* mode : {window.m_radiobutton_composite, window.m_radiobutton_average,
                                   window.m_radiobutton_mip}) {
            ui::click(mode);
            window.m_glWidget->updateGL();
            pictures[mode->text()] = window.m_glWidget->grabFrameBuffer();
        }
        ui::click(window.m_radiobutton_composite);
        window.applyTransferFunction({400, 2300, {{401, 1.0, Qt::white}, {2299, 1.0, Qt::white}}});
        window.m_glWidget->updateGL();
        const QImage ball = window.m_glWidget->grabFrameBuffer();
        // Anything but black is shown: a faint veil of noise too.
        const auto drawn = [](QRgb pixel) {
            return std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) > 8;
        };
        for (const auto& [mode, picture] : pictures) {
            int inside = 0, outside = 0, shownInside = 0, shownOutside = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x) {
                    const bool in = drawn(ball.pixel(x, y));
                    (in ? inside : outside) += 1;
                    (in ? shownInside : shownOutside) += drawn(picture.pixel(x, y));
                }
            QVERIFY2(inside > 2000 && shownInside > 0.5 * inside && shownOutside < 0.002 * outside,
                     qPrintable(mode + QString::asprintf(": %g of the ball, %g around it",
                                                         double(shownInside) / inside,
                                                         double(shownOutside) / outside)));
        }
        const QImage& mip = pictures[window.m_radiobutton_mip->text()];
        int brightest = 0;
        for (int y = 0; y < mip.height(); ++y)
            for (int x = 0; x < mip.width(); ++x)
                brightest = std::max(brightest, qGray(mip.pixel(x, y)));
        QVERIFY2(brightest > 200, qPrintable(QString::number(brightest)));
    }

    // A new density window reaches the view's table at once.
    void theTableFollowsTheDensityWindow()
    {
        QVERIFY(ui::chooseMenuEntry(*m_window, "&Transferfunktion", "CT: Knochen"));
        m_window->m_min_density->setValue(1500);
        std::vector<TransferEntry> expected;
        buildTransferTable(expected, m_window->m_graphic_view->m_controlPoints,
                           m_window->m_graphic_view->width(), m_window->m_graphic_view->height(),
                           1500, kMaxDensity);
        QVERIFY(m_window->m_glWidget->transferTable() == expected);
    }

    // A function file applies its window and points; a bad one is refused in
    // a message and leaves the function as it was.
    void functionFilesOpenFromTheMenu()
    {
        m_folder.write("good.json", R"({"points": [{"color": [255, 0, 0], "opacity": 0.5,
            "density": 2000}], "densityWindow": [1000, 3000], "kastra-transfer-function": 1})");
        m_folder.write("bad.json", R"({"kastra-transfer-function": 1, "densityWindow": [1000, 3000],
            "points": [{"density": 2000, "opacity": 1.5, "color": [255, 0, 0]}]})");
        m_window->transferMenu()->open("good.json");
        const TransferFunction opened = m_window->transferFunction();
        QCOMPARE(opened.minDensity, 1000);
        QCOMPARE(opened.maxDensity, 3000);
        QCOMPARE(opened.points.size(), size_t(1));
        // Within a pixel's worth of densities and opacity.
        QVERIFY(std::abs(opened.points[0].density - 2000) <=
                2000 / m_window->m_graphic_view->width() + 1);
        QVERIFY(std::abs(opened.points[0].opacity - 0.5) <=
                1.0 / m_window->m_graphic_view->height());
        QCOMPARE(opened.points[0].color, QColor(255, 0, 0));

        m_window->transferMenu()->open("bad.json");
        QMessageBox* box = nullptr;
        QTRY_VERIFY((box = m_window->findChild<QMessageBox*>()));
        QVERIFY2(box->informativeText().contains("Opazität 1.5"),
                 qPrintable(box->informativeText()));
        delete box;
        const TransferFunction kept = m_window->transferFunction();
        QCOMPARE(kept.minDensity, 1000);
        QCOMPARE(kept.points.size(), size_t(1));
        QCOMPARE(kept.points[0].density, opened.points[0].density);
    }

    // Every change of the function is one step, a drag of many moves and steps of one box in a
    // row too: undo brings back each state before, redo each after, exactly. Undo after a load
    // brings back the points on the new volume and loads nothing.
    void undoAndRedoEveryChange()
    {
        QVERIFY(writeVolumeFile("dat/small.dat", SampleVolume(8, 8, 8, 2000)));
        MainWindow window;
        QVERIFY(ui::show(window));
        Histogram* editor = window.m_graphic_view;
        QVERIFY(ui::load(window, "head.dat"));
        window.applyTransferFunction({200, 900, {{300, 0.2, Qt::red}, {800, 0.9, Qt::white}}});
        const QPoint added = editor->rect().center(), moved = added + QPoint(20, -30);
        // The shortcuts are the active window's; the window system's focus
        // may be with another test's window on the same display.
        const auto press = [&](const char* keys) {
            QApplication::setActiveWindow(&window);
            QTest::keySequence(&window, QKeySequence(keys));
        };
        const auto undo = [&] { press("Ctrl+Z"); };
        ui::ColourDialogAnswer green{Qt::green};
        const std::function<void()> changes[] = {
            [&] { QTest::mouseClick(editor, Qt::LeftButton, Qt::NoModifier, added); },
            [&] {
                QTest::mousePress(editor, Qt::LeftButton, Qt::NoModifier, added);
                ui::move(editor, added + QPoint(10, 10), Qt::LeftButton);
                QTest::mouseRelease(editor, Qt::LeftButton, Qt::NoModifier, moved);
            },
            [&] { ui::doubleClick(editor, moved); },
            [&] { QTest::mouseClick(editor, Qt::RightButton, Qt::NoModifier, moved); },
            [&] { QVERIFY(ui::chooseMenuEntry(window, "&Transferfunktion", "CT: Knochen")); },
            [&] {
                QTest::keyClick(window.m_min_density, Qt::Key_Up);
                QTest::keyClick(window.m_min_density, Qt::Key_Up);
            }};
        QStringList states = {shown(window)};
        for (const std::function<void()>& change : changes) {
            change();
            states << shown(window);
        }
        QVERIFY(states[5].startsWith("1024..4095:")); // the preset's window, above 200..900
        // Undo back to the first state (i up to 0), then redo to the last.
        for (int i = 2 - states.size(); i < states.size(); ++i) {
            i > 0 ? press("Ctrl+Shift+Z") : undo();
            QCOMPARE(shown(window), states[std::abs(i)]);
        }

        undo(); // a step undone, then a load
        QVERIFY(ui::load(window, "small.dat"));
        m_console.clear();
        undo();
        QCOMPARE(m_console.out(), std::string());
        QCOMPARE(shown(window).section(" picture", 0, 0), states[5].section(" picture", 0, 0));
    }

    // The choice shows the window's densities black to white (1000 in
    // 500..1500 is mid grey, drawn with no table at all), and is remembered.
    void slicesInTheDensityWindow()
    {
        QVERIFY(writeVolumeFile("dat/even.dat", SampleVolume(32, 32, 32, 1000)));
        MainWindow window;
        QVERIFY(ui::show(window));
        QVERIFY(ui::load(window, "even.dat"));
        ui::click(window.m_checkbox_slicing);
        window.m_min_density->setValue(500);
        window.m_max_density->setValue(1500);
        QVERIFY(ui::chooseMenuEntry(window, "&Ansicht", "&Schnitte im Dichtefenster"));
        window.m_glWidget->updateGL();
        const QImage shown = window.m_glWidget->grabFrameBuffer();
        const QColor middle = shown.pixelColor(shown.width() / 2, shown.height() / 2);
        QVERIFY2(std::abs(middle.red() - 128) <= 2 && middle.red() == middle.blue(),
                 qPrintable(middle.name()));
        MainWindow again;
        QVERIFY(again.m_glWidget->slicesInWindow());
    }
};

QTEST_MAIN(TestTransferFunctions)
#include "tst_transferfunctions.moc"
