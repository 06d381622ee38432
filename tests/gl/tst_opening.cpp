// Opening volumes and scans from the window, as a user does: through
// "Öffnen …" and the keyboard, the command line's path, a drop; kastra-convert
// run as a real child process on real files, with its chooser, progress,
// Cancel and refusals; stand-in converters that crash, hang or are
// missing, which must leave the window as it was; and the time row that
// steps through every volume of a 4-D scan.

#include "app/axesdialog.h"
#include "app/mainwindow.h"
#include "app/openfiledialog.h"
#include "app/scanchooser.h"
#include "app/scanopener.h"
#include "app/timeaxis.h"
#include "app/usersettings.h"
#include "tests/fuzz/fuzzinput.h"
#include "tests/support/consolecapture.h"
#include "tests/support/expectedvolume.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "tools/uidriver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QtTest>
#include <nifti2_io.h>

#include <memory>

namespace {

// 40 x 30 x 20 samples: a slice of air, then a ramp.
const QByteArray kRamp = [] {
    std::vector<uint16_t> samples(24000);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = uint16_t(i < 1200 ? 0 : 1000 + i % 3000);
    return volumeFileBytes(40, 30, 20, samples);
}();

// A CT by its values alone, for a NRRD header: 32 x 32 x 32 int16 samples of
// air (-1000 HU, one voxel of -1024) around a block of 1000 HU.
const QByteArray kCt = [] {
    std::vector<qint16> hu(32 * 32 * 32, -1000);
    hu[0] = -1024;
    for (int z = 8; z < 24; ++z)
        for (int y = 8; y < 24; ++y)
            std::fill_n(hu.begin() + 8 + 32 * (y + 32 * z), 16, qint16(1000));
    return QByteArray(reinterpret_cast<const char*>(hu.data()), int(2 * hu.size()));
}();

// The volume kastra-convert itself writes of `arguments`' input.
VolumeData converted(const QStringList& arguments)
{
    QProcess::execute(KASTRA_CONVERT, QStringList{arguments[0], "direct.dat"} + arguments.mid(1));
    QFile file("direct.dat");
    return file.open(QIODevice::ReadOnly) ? expectedVolume(file.readAll()) : VolumeData();
}

bool shows(MainWindow& window, const VolumeData& expected)
{
    return sameVolume(window.m_glWidget->volume(), expected);
}

// The chooser an open shows once the converter has listed the scan.
ScanChooser* chooserOf(MainWindow& window)
{
    ScanChooser* chooser = nullptr;
    const bool shown = QTest::qWaitFor(
        [&] { return (chooser = window.findChild<ScanChooser*>()) != nullptr; }, 30000);
    return shown ? chooser : nullptr;
}

// A stand-in converter: a shell script that lists one volume and then does
// `then` (sleep, or die of a signal).
QString standIn(const QString& then)
{
    QFile script("stand-in");
    script.open(QIODevice::WriteOnly);
    script.write(("#!/bin/sh\ncase \"$*\" in *--list*) echo '{\"volumes\": [{}]}'; exit;; esac\n"
                  "echo progress Reading 10\n" +
                  then + "\n")
                     .toUtf8());
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    return QFileInfo(script).absoluteFilePath();
}

constexpr int kSide = 32, kVolumes = 4;
constexpr int kBallX[kVolumes] = {8, 13, 19, 24}; // the ball's centre along x in each volume

// A 4-D NIfTI file by the format's library: kVolumes int16 volumes of
// kSide^3 voxels of 1 mm, no patient frame, each 0 but for a ball of
// 3000 + 10 t (radius 5: 515 voxels) centred at kBallX[t], kSide / 2, kSide / 2.
void writeMovingBall(const char* path)
{
    const int64_t dims[8] = {4, kSide, kSide, kSide, kVolumes, 1, 1, 1};
    nifti_image* nim = nifti_make_new_nim(dims, DT_INT16, 1);
    int16_t* samples = static_cast<int16_t*>(nim->data);
    for (int i = 0; i < kVolumes * kSide * kSide * kSide; ++i) {
        const int t = i / (kSide * kSide * kSide), dx = i % kSide - kBallX[t],
                  dy = i / kSide % kSide - kSide / 2, dz = i / (kSide * kSide) % kSide - kSide / 2;
        samples[i] = int16_t(dx * dx + dy * dy + dz * dz <= 25 ? 3000 + 10 * t : 0);
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
    double sum = 0, count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (qGray(picture.pixel(x, y)) > 60)
                sum += x, ++count;
    if (count == 0)
        TestView::saveArtefact(picture, "no-ball");
    return count ? sum / count : -1;
}

} // namespace

class TestOpening : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home; // the user's cache and settings
    ConsoleCapture m_quiet;
    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<MainWindow> m_window;

    QString cached() const { return m_home.path() + "/cache/kastra"; }

private slots:
    void initTestCase()
    {
        requestAlphaChannel();
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_home.path() + "/cache"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path() + "/config"));
    }

    void init()
    {
        qputenv("KASTRA_CONVERT", KASTRA_CONVERT);
        ScanOpener::setSilenceLimit(60000);
        QDir(cached()).removeRecursively();
        m_folder = std::make_unique<TestFolder>(TestFolder::WithShaders);
        m_folder->write("v.dat", kRamp);
        m_folder->write("ct.raw", kCt);
        m_folder->write("ct.nhdr", "NRRD0004\ntype: int16\ndimension: 3\nsizes: 32 32 32\n"
                                   "encoding: raw\nendian: little\ndata file: ct.raw\n");
        QProcess::execute(KASTRA_CONVERT, {"v.dat", "v.nii.gz"});
        m_window = std::make_unique<MainWindow>();
        QVERIFY(ui::show(*m_window));
    }

    void cleanup()
    {
        m_window.reset();
        m_folder.reset();
    }

    // Each way in loads the volume the file holds, lists it and draws it
    // with a preset for its kind (skin and bone for CT, six points; else the
    // object ramp's four); a scan of one volume opens at once, read as the
    // converter decides (a CT in NRRD by its values), and the status bar
    // says how and why; the recent files open it again, a scan from the
    // cache, which remembers its kind and why.
    void everyWayInOpensAndDraws_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("path");
        QTest::addColumn<size_t>("presetPoints");
        QTest::addColumn<QString>("reading"); // the status bar's
        // clang-format off
        QTest::newRow("a volume file through Öffnen") << "dialog" << "v.dat" << size_t(4) << "";
        QTest::newRow("NIfTI through Öffnen") << "dialog" << "v.nii.gz" << size_t(4)
            << "Kein CT: seine Werte sind vorzeichenlos";
        QTest::newRow("a DICOM folder by the command line's path")
            << "path" << KASTRA_PYDICOM_FILES "/dicomdirtests/98892001/CT5N" << size_t(6)
            << "CT (HU): seine Modalität ist CT";
        QTest::newRow("NIfTI dropped") << "drop" << "v.nii.gz" << size_t(4)
            << "Kein CT: seine Werte sind vorzeichenlos";
        QTest::newRow("a CT by its values in NRRD") << "path" << "ct.nhdr" << size_t(6)
            << "CT (HU): seine Werte sind Hounsfield-Einheiten: ganze Zahlen ab -1024, ein "
               "Gipfel der Luft bei -1000 hält 87 % von ihnen";
        // clang-format on
    }

    void everyWayInOpensAndDraws()
    {
        QFETCH(QString, way);
        QFETCH(QString, path);
        QFETCH(size_t, presetPoints);
        QFETCH(QString, reading);
        const std::vector<ControlPoint>& points = m_window->m_graphic_view->m_controlPoints;
        const VolumeData expected =
            path.endsWith(".dat") ? expectedVolume(kRamp) : converted({path});
        if (way == "dialog") {
            QVERIFY(ui::chooseMenuEntry(*m_window, "&Datei", "Ö&ffnen …"));
            OpenFileDialog* dialog = nullptr;
            QTRY_VERIFY((dialog = m_window->findChild<OpenFileDialog*>()));
            // Typed, each "/" would enter a folder as it comes.
            QLineEdit* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            name->setText(QFileInfo(path).absoluteFilePath());
            QTest::keyClick(name, Qt::Key_Return);
        } else if (way == "path") {
            m_window->openPath(path);
        } else {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())});
            QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(m_window.get(), &enter);
            QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(m_window.get(), &drop);
        }
        QTRY_VERIFY_WITH_TIMEOUT(shows(*m_window, expected), 30000);
        QListWidget* list = m_window->m_listwidget_fileList;
        QCOMPARE(list->currentItem()->text(), QFileInfo(path).fileName());
        QCOMPARE(points.size(), presetPoints);
        QCOMPARE(m_window->statusBar()->currentMessage(), reading);
        const QString volume = list->currentItem()->data(Qt::UserRole).toString();
        QCOMPARE(ScanCache(cached()).kind(volume).voxelSize[0] > 0, !reading.isEmpty());

        setTransfer(*m_window->m_glWidget, {{0, Qt::white, 0}, {1, Qt::white}, {4095, Qt::white}});
        m_window->m_glWidget->updateGL();
        const QImage picture = m_window->m_glWidget->grabFrameBuffer(true);
        const QRgb middle = picture.pixel(picture.width() / 2, picture.height() / 2);
        QVERIFY2(qAlpha(middle) == 255 && qRed(middle) < 255, "the volume is not drawn");

        // Again from the recent files: an unchanged scan from the cache, with no converter.
        list->clear();
        qputenv("KASTRA_CONVERT", "/nonexistent");
        m_window->m_menu_file->findChild<QMenu*>()->actions().first()->trigger();
        QTRY_COMPARE(list->count(), 1);
        QVERIFY(shows(*m_window, expected) && !m_window->findChild<QMessageBox*>());
        QCOMPARE(points.size(), presetPoints);
        QCOMPARE(m_window->statusBar()->currentMessage(), reading);
    }

    // The axes set in "Achsen" stay with the volume: a scan of no frame
    // opens again from the cache with them (a note beside its volume), a
    // volume file by its path from the settings; the file's axes again
    // leave nothing behind. A scan in the patient's frame needs no setting.
    void theAxesAreKeptWithTheScan()
    {
        const auto axesEntry = [this] {
            for (QAction* action : m_window->findChildren<QAction*>())
                if (action->text() == "Ac&hsen …")
                    return action;
            return static_cast<QAction*>(nullptr);
        };
        const auto setAxes = [&](const QStringList& buttons) {
            axesEntry()->trigger();
            AxesDialog* dialog = m_window->findChild<AxesDialog*>();
            bool clicked = dialog && ui::show(*dialog);
            for (const QString& button : buttons)
                clicked = clicked && ui::click(*dialog, button);
            return clicked;
        };
        for (const QString path : {"ct.nhdr", "v.dat"}) {
            const auto opened = [&] {
                m_window->openPath(path);
                QListWidget* list = m_window->m_listwidget_fileList;
                return QTest::qWaitFor(
                    [&] {
                        return list->currentItem() &&
                               list->currentItem()->text() == QFileInfo(path).fileName();
                    },
                    30000);
            };
            const auto reopened = [&] {
                m_window = std::make_unique<MainWindow>();
                return ui::show(*m_window) && opened();
            };
            QVERIFY(opened());
            const QString volume =
                m_window->m_listwidget_fileList->currentItem()->data(Qt::UserRole).toString();
            QVERIFY(axesEntry()->isEnabled());
            QVERIFY(setAxes({"in der Bildebene", "links und rechts"}));
            const VolumeAxes set = m_window->m_glWidget->camera().axes();
            QCOMPARE(set.text(), QString("+y +x +z")); // right: -y, then mirrored
            QCOMPARE(QFile::exists(volume + ".axes"), path == "ct.nhdr");

            // Opened again in a new window, without a converter: from the cache.
            qputenv("KASTRA_CONVERT", "/nonexistent");
            QVERIFY(reopened());
            QCOMPARE(m_window->m_listwidget_fileList->currentItem()->data(Qt::UserRole).toString(),
                     volume);
            QCOMPARE(m_window->m_glWidget->camera().axes(), set);
            QVERIFY(setAxes({"Achsen der Datei"}));
            QVERIFY(reopened());
            QVERIFY(m_window->m_glWidget->camera().axes().isFileAxes());
            QVERIFY(!QFile::exists(volume + ".axes"));
            qputenv("KASTRA_CONVERT", KASTRA_CONVERT);
        }
        QVERIFY(userSettings().value("volumeAxes").toMap().isEmpty());

        // In the patient's frame, whatever another scan was set to.
        m_window->m_glWidget->setVolumeAxes(VolumeAxes().mirrored(0));
        m_window->openPath("v.nii.gz");
        QTRY_VERIFY_WITH_TIMEOUT(m_window->m_glWidget->camera().axes().isFileAxes(), 30000);
        QVERIFY(!axesEntry()->isEnabled());
    }

    // A folder of two series, one of three volumes: the series, then the
    // volume, are chosen in the window.
    void severalSeriesAndVolumesAreChosen()
    {
        const QDir ct(KASTRA_PYDICOM_FILES "/dicomdirtests/98892001/CT5N");
        QVERIFY(QDir().mkdir("scan"));
        for (const QString& file : ct.entryList(QDir::Files))
            QFile::copy(ct.filePath(file), "scan/" + file);
        QFile seed(KASTRA_FUZZ_DIR "/corpus-dicomseries/classic-4d");
        QVERIFY(seed.open(QIODevice::ReadOnly));
        const QByteArray bytes = seed.readAll();
        writeFuzzInput(*fuzzVariant("dicomseries"), bytes.toStdString(), "4d");
        for (const char* file : {"a", "b", "c"})
            QFile::copy(QString("4d/series/") + file, QString("scan/4d-") + file);
        m_window->openPath("scan");
        QString series;
        for (const char* pick : {"3 Dateien", "Volumen 2"}) {
            ScanChooser* chooser = chooserOf(*m_window);
            QVERIFY(chooser);
            QComboBox* items = chooser->findChild<QComboBox*>();
            items->setCurrentIndex(items->findText(pick, Qt::MatchContains));
            series = series.isEmpty() ? items->currentText().section(' ', 0, 0) : series;
            QTest::keyClick(items, Qt::Key_Return);
            QTRY_VERIFY(!m_window->findChild<ScanChooser*>());
        }
        QTRY_VERIFY(m_window->m_listwidget_fileList->count() == 1);
        QVERIFY(m_window->m_listwidget_fileList->item(0)->text().endsWith("Volumen 2)"));
        QVERIFY(shows(*m_window, converted({"scan", "--series", series, "--volume", "2"})));
    }

    // A refusal, a converter that dies, hangs or is missing: one message, a
    // refusal in the window's words (a newer converter's unknown one as it
    // said it).
    // Cancel ends the child by SIGTERM, so that it can end its own, and
    // leaves nothing in the cache. The volume on show stays, and the next
    // scan opens. A converter that keeps printing its progress is no hang,
    // however long it takes.
    void failuresLeaveTheWindowAsItWas_data()
    {
        QTest::addColumn<QString>("converter"); // a stand-in's end, or its path
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("said"); // "" for a cancel, "opens" where it opens
        // clang-format off
        QTest::newRow("a refusal") << "" << "v.dat.nii"
            << "v.dat.nii' kann nicht gelesen werden: keine gültige NIfTI-1- oder NIfTI-2-Datei";
        QTest::newRow("a refusal unknown to the window")
            << "echo 'refusal {\"code\": \"newer\", \"arguments\": [], \"text\": \"newer\"}' >&2; "
               "echo 'kastra-convert: a newer refusal' >&2; exit 1" << "v.nii.gz"
            << "kastra-convert: a newer refusal";
        QTest::newRow("a crash") << "kill -SEGV $$" << "v.nii.gz" << "unerwartet ab";
        QTest::newRow("a hang") << "exec sleep 60" << "v.nii.gz" << "1 s lang kein Zeichen";
        QTest::newRow("missing") << "/nonexistent" << "v.nii.gz" << "kann nicht gestartet";
        QTest::newRow("a cancel")
            << "trap 'kill $!; touch terminated; exit 1' TERM; sleep 60 & wait" << "v.nii.gz" << "";
        QTest::newRow("progress past the silence limit")
            << "for i in $(seq 10 2 68); do sleep .1; echo progress Reading $i; done; cp v.dat $2"
            << "v.nii.gz" << "opens";
        // clang-format on
    }

    void failuresLeaveTheWindowAsItWas()
    {
        QFETCH(QString, converter);
        QFETCH(QString, input);
        QFETCH(QString, said);
        m_folder->write("v.dat.nii", kRamp);
        m_window->openPath("v.dat");
        if (!converter.isEmpty())
            qputenv("KASTRA_CONVERT",
                    converter.startsWith('/') ? converter.toUtf8() : standIn(converter).toUtf8());
        // A short silence limit for the stand-ins meant to go silent, or to
        // run past it (3 s) while they speak every 0.1 s; a real converter,
        // as slow as a busy machine makes it, gets the usual one.
        ScanOpener::setSilenceLimit(said.contains("kein Zeichen") ? 1000
                                    : said == "opens"             ? 2000
                                                                  : 60000);
        m_window->openPath(input);
        QListWidget* list = m_window->m_listwidget_fileList;
        if (said == "opens") {
            QTRY_COMPARE_WITH_TIMEOUT(list->count(), 2, 10000);
            QVERIFY(!m_window->findChild<QMessageBox*>());
            return;
        }
        if (said.isEmpty()) {
            QProgressDialog* progress = nullptr;
            QTRY_VERIFY((progress = m_window->findChild<QProgressDialog*>()) &&
                        progress->isVisible());
            QTRY_COMPARE(progress->value(), 10);
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
            QTRY_VERIFY(!m_window->findChild<QProgressDialog*>());
            QVERIFY(QDir(cached()).isEmpty() && !m_window->findChild<QMessageBox*>());
            QTRY_VERIFY(QFile::exists("terminated"));
        } else {
            QMessageBox* box = nullptr;
            QTRY_VERIFY_WITH_TIMEOUT((box = m_window->findChild<QMessageBox*>()), 10000);
            QVERIFY2(box->informativeText().contains(said) &&
                         !box->informativeText().contains("refusal {"),
                     qPrintable(box->informativeText()));
        }
        QCOMPARE(list->count(), 1);
        QVERIFY(shows(*m_window, expectedVolume(kRamp)));
        qputenv("KASTRA_CONVERT", KASTRA_CONVERT);
        ScanOpener::setSilenceLimit(60000);
        m_window->openPath("v.nii.gz");
        QTRY_COMPARE_WITH_TIMEOUT(list->count(), 2, 30000);
    }

    // "Werte als CT (HU) lesen" in the "Datei" menu reads the shown scan the
    // other way: converted again into a cache entry of its own, listed by
    // its reading, the object ramp's four points, the turn kept. Chosen again,
    // the converter's own decision, which a later open finds in the cache.
    void theFileMenuChangesTheRule()
    {
        const std::vector<ControlPoint>& points = m_window->m_graphic_view->m_controlPoints;
        QListWidget* list = m_window->m_listwidget_fileList;
        const QList<QAction*> entries = m_window->m_menu_file->actions();
        QAction* readAsCt = *std::find_if(entries.begin(), entries.end(), [](QAction* entry) {
            return entry->text() == "Werte als &CT (HU) lesen";
        });
        m_window->openPath("ct.nhdr");
        QTRY_COMPARE_WITH_TIMEOUT(list->count(), 1, 30000);
        QVERIFY(readAsCt->isEnabled() && readAsCt->isChecked());
        GLWidget& view = *m_window->m_glWidget;
        ui::drag(&view, QPoint(300, 250), QPoint(340, 270));
        for (const bool ct : {false, true}) {
            readAsCt->trigger();
            QTRY_COMPARE_WITH_TIMEOUT(readAsCt->isChecked(), ct, 30000);
            QCOMPARE(list->count(), 2);
            QCOMPARE(list->currentItem()->text(), ct ? "ct.nhdr" : "ct.nhdr (nicht als CT)");
            QCOMPARE(points.size(), ct ? size_t(6) : size_t(4));
            QVERIFY(m_window->statusBar()->currentMessage().startsWith(ct ? "CT (HU): seine Werte"
                                                                          : "Kein CT: so gewählt"));
            QVERIFY(view.xRotation() == 20 && view.yRotation() == 40);
        }
        QCOMPARE(QDir(cached()).entryList({"*.dat"}).size(), 2);
        QVERIFY(shows(*m_window, converted({"ct.nhdr"})));
        m_window->openPath("v.dat");
        QVERIFY(!readAsCt->isEnabled() && points.size() == 4);
        m_window->openPath("ct.nhdr"); // kept: at once
        QCOMPARE(points.size(), size_t(6));
    }

    // A volume is kept under a key of the scan's path, its files' sizes and
    // times, and the options; the volumes used longest ago go first once
    // the cache holds more than 4 GB, never the one just made or taken.
    void theCacheKeepsWhatItShould()
    {
        const auto keep = [](const QString& path, qint64 size, int age) {
            QFile file(path);
            return file.open(QIODevice::ReadWrite) && (size < 0 || file.resize(size)) &&
                   file.setFileTime(QDateTime::currentDateTime().addSecs(-age),
                                    QFileDevice::FileModificationTime);
        };
        ScanCache cache(cached());
        m_folder->write("scan/a.dcm", "a");
        for (const char* scan : {"v.nii.gz", "scan"}) {
            const QString key = cache.volumeFor(scan, {});
            QVERIFY(keep(QString(scan) == "scan" ? "scan/a.dcm" : scan, -1, 60));
            QVERIFY2(cache.volumeFor(scan, {}) != key, scan);
        }
        QVERIFY(cache.volumeFor("scan", {"--volume", "0"}) !=
                cache.volumeFor("scan", {"--volume", "3"}));

        // Sparse files of 4 GB and 0.5 MB in all, d used last.
        QVERIFY(QDir().mkpath(cached()));
        const qint64 gb = qint64(1) << 30, mb = 1 << 20;
        for (const auto& [name, size] :
             {std::pair('a', mb), {'b', mb}, {'c', 2 * gb - 3 * mb / 2}, {'d', 2 * gb}})
            QVERIFY(keep(cached() + "/" + name + ".dat", size, 500 - 100 * (name - 'a')));
        QVERIFY(cache.take(cached() + "/d.dat"));
        m_window->openPath("v.nii.gz");
        QTRY_COMPARE_WITH_TIMEOUT(m_window->m_listwidget_fileList->count(), 1, 30000);
        const QString made =
            m_window->m_listwidget_fileList->item(0)->data(Qt::UserRole).toString();
        QCOMPARE(QDir(cached()).entryList({"*.dat"}, QDir::Files, QDir::Name),
                 (QStringList{"b.dat", "c.dat", "d.dat", QFileInfo(made).fileName()}));
        cache.trim(0, made);
        QCOMPARE(QDir(cached()).entryList({"*.dat"}), QStringList{QFileInfo(made).fileName()});
    }

    // "Alle Volumen" of a 4-D scan: each step shows the ball where its volume has it, and its
    // density in the histogram, under the transfer function, camera, crop and slice set before;
    // play loops; a single volume hides the row again, the window as it was.
    void aTimeAxisStepsThroughEveryVolume()
    {
        writeMovingBall("ball.nii");
        MainWindow& window = *m_window;
        TimeAxis* time = window.findChild<TimeAxis*>();
        QVERIFY(time && !time->row()->isVisible());
        const QRect viewAtStart = window.m_glWidget->geometry();

        window.openPath("ball.nii");
        ScanChooser* chooser = chooserOf(window);
        QVERIFY(chooser);
        const QLabel* reason = chooser->findChild<QLabel*>("reason"); // readable, in German
        QVERIFY(reason->isEnabled() && reason->text().endsWith("Kein CT: sein kleinster Wert, 0, "
                                                               "liegt über -1024"));
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
            QCOMPARE(window.m_graphic_view->m_histogram[3000 + 10 * t], 515); // the bars follow
            columns[t] = ballColumn(view);
            QVERIFY(view.transferTable() == table && window.m_min_density->value() == window_[0] &&
                    window.m_max_density->value() == window_[1] && view.cropBox() == crop &&
                    view.camera().orientation() == turn && view.camera().zoomNotches() == 1 &&
                    view.slicePosition() == slice);
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
        m_folder->write("single.dat", volumeFileBytes(2, 2, 2, std::vector<uint16_t>(8, 100)));
        window.openPath("single.dat");
        QVERIFY(!time->row()->isVisible() && view.volume().width == 2);
    }
};

QTEST_MAIN(TestOpening)
#include "tst_opening.moc"
