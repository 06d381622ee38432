// The time axis: a 4-D scan opened through the window's open path with
// "Alle Volumen", the converter run as a real child process, and the time
// row stepping the view through its volumes, the view kept.

#include "app/mainwindow.h"
#include "app/scanchooser.h"
#include "app/scanopener.h"
#include "app/timeaxis.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "tools/uidriver.h"

#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>
#include <nifti2_io.h>

#include <memory>

namespace {

constexpr int kSide = 32, kVolumes = 4;
constexpr int kBallX[kVolumes] = {8, 13, 19, 24}; // the ball's centre along x in each volume

// A 4-D NIfTI file by the format's library: kVolumes int16 volumes of
// kSide^3 voxels of 1 mm, no patient frame, each 0 but for a ball of 3000
// (radius 5) centred at kBallX[t], kSide / 2, kSide / 2.
void writeMovingBall(const char* path)
{
    const int64_t dims[8] = {4, kSide, kSide, kSide, kVolumes, 1, 1, 1};
    nifti_image* nim = nifti_make_new_nim(dims, DT_INT16, 1);
    int16_t* samples = static_cast<int16_t*>(nim->data);
    for (int i = 0; i < kVolumes * kSide * kSide * kSide; ++i) {
        const int dx = i % kSide - kBallX[i / (kSide * kSide * kSide)],
                  dy = i / kSide % kSide - kSide / 2, dz = i / (kSide * kSide) % kSide - kSide / 2;
        samples[i] = int16_t(dx * dx + dy * dy + dz * dz <= 25 ? 3000 : 0);
    }
    nifti_set_filenames(nim, path, 0, 1);
    nifti_image_write(nim);
    nifti_image_free(nim);
}

// The mean column of the picture's bright pixels: where the ball is drawn.
double ballColumn(GLWidget& view)
{
    QString fault;
    const QImage picture = view.renderPicture(1, fault);
    double sum = 0;
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (qGray(picture.pixel(x, y)) > 60) {
                sum += x;
                ++count;
            }
    if (count == 0)
        TestView::saveArtefact(picture, "no-ball");
    return count ? sum / count : -1;
}

} // namespace

class TestTimeAxis : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home; // the user's cache and settings

private slots:
    void initTestCase()
    {
        requestAlphaChannel();
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_home.path() + "/cache"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path() + "/config"));
        qputenv("KASTRA_CONVERT", KASTRA_CONVERT);
    }

    // Each step shows the ball where its volume has it, under the transfer
    // function, camera, crop and slice set before; play loops; a single
    // volume hides the row again, the window as it was.
    void stepsShowEachVolumeInTheSameView()
    {
        TestFolder folder(TestFolder::WithShaders);
        writeMovingBall("ball.nii");
        ConsoleCapture quiet;
        MainWindow window;
        QVERIFY(ui::show(window));
        TimeAxis* time = window.findChild<TimeAxis*>();
        QVERIFY(time && !time->row()->isVisible());
        const QRect viewAtStart = window.m_glWidget->geometry();

        window.openPath("ball.nii");
        ScanChooser* chooser = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((chooser = window.findChild<ScanChooser*>()), 30000);
        QComboBox* items = chooser->findChild<QComboBox*>();
        QCOMPARE(items->count(), kVolumes + 1);
        QVERIFY(items->currentText().startsWith("Volumen 0")); // what Return takes, as before
        items->setCurrentIndex(items->findText("Alle Volumen", Qt::MatchStartsWith));
        QTest::keyClick(items, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(time->count(), kVolumes, 30000);
        QVERIFY(time->row()->isVisible());
        QCOMPARE(window.m_glWidget->geometry(), viewAtStart);
        QLabel* number = time->row()->findChild<QLabel*>();

        // A turn, a zoom, a crop and a slice of the user's before the steps.
        GLWidget& view = *window.m_glWidget;
        ui::drag(&view, QPoint(300, 250), QPoint(340, 250));
        view.zoomAt(QPoint(350, 250), 1);
        const CropBox crop{{{0, 0, 2}}, {{kSide - 1, kSide - 1, kSide - 3}}};
        view.setCropBox(crop);
        window.m_Slices->setValue(window.m_Slices->maximum() / 3);
        const int window_[2] = {window.m_min_density->value(), window.m_max_density->value()};
        const auto table = view.transferTable();
        const QMatrix4x4 turn = view.camera().orientation();
        const float slice = view.slicePosition();

        double columns[kVolumes];
        for (int t = 0; t < kVolumes; ++t) {
            time->slider()->setValue(t);
            QCOMPARE(number->text(), QString("%1 / 4").arg(t + 1));
            columns[t] = ballColumn(view);
            QVERIFY2(columns[t] >= 0, "no ball drawn");
            QVERIFY(view.transferTable() == table && window.m_min_density->value() == window_[0] &&
                    window.m_max_density->value() == window_[1]);
            QVERIFY(view.camera().orientation() == turn && view.camera().zoomNotches() == 1);
            QVERIFY(view.cropBox() == crop);
            QCOMPARE(view.slicePosition(), slice);
        }
        // The ball's steps on screen in proportion to its steps in the volumes.
        const double span = columns[kVolumes - 1] - columns[0];
        QVERIFY2(span > 20, qPrintable(QString::number(span)));
        for (int t = 1; t < kVolumes - 1; ++t) {
            const double expected =
                double(kBallX[t] - kBallX[0]) / (kBallX[kVolumes - 1] - kBallX[0]);
            QVERIFY2(qAbs((columns[t] - columns[0]) / span - expected) < 0.05,
                     qPrintable(QString("step %1 at column %2").arg(t).arg(columns[t])));
        }
        time->slider()->setValue(0);
        QCOMPARE(ballColumn(view), columns[0]);

        // Play steps on, from the last volume back to the first.
        QSignalSpy steps(time, &TimeAxis::stepped);
        time->playButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(steps.count() >= kVolumes + 1, 20000);
        time->playButton()->click();
        QTest::qWait(300);
        const int stopped = time->current();
        QTest::qWait(300);
        QCOMPARE(time->current(), stopped);

        // A single volume: the row goes, the window as before.
        folder.write("single.dat", volumeFileBytes(2, 2, 2, std::vector<uint16_t>(8, 100)));
        window.openPath("single.dat");
        QVERIFY(!time->row()->isVisible() && view.volume().width == 2);
    }
};

QTEST_MAIN(TestTimeAxis)
#include "tst_timeaxis.moc"
