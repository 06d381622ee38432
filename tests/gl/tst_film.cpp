// A film of a full turn: the frames written as an MP4 file by ffmpeg (read
// back by ffprobe) or, without ffmpeg on the PATH, as numbered PNG files;
// the first frame is the still picture, the turn runs round once; a cancel
// in the progress dialog leaves nothing behind, and the view is left as it was.

#include "app/filmsaver.h"
#include "app/picturesaver.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "tools/uidriver.h"
#include "volume/volumewriter.h"

#include <QProcess>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QtTest>

#include <cmath>

namespace {

// A uniform box four times as wide as deep and twice as high as deep, seen
// from above through an orange table, in an odd-sized view. Films go to
// "out", empty until then.
struct Scene
{
    TestFolder folder{TestFolder::WithShaders};
    ConsoleCapture console;
    TestView view{161, 121};
    Scene()
    {
        QVERIFY(writeVolumeFile("v.dat", SampleVolume(40, 20, 10, 1000)));
        view->loadVolume("v.dat");
        setTransfer(view.widget(), {{1000, QColor(255, 128, 0), 160}});
        QVERIFY(QDir().mkpath("out"));
    }
    QStringList written() const
    {
        return QDir("out").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

// ffmpeg off the PATH while it lives: the PATH is an empty folder.
class PathWithoutFfmpeg
{
public:
    PathWithoutFfmpeg() : m_path(qgetenv("PATH")) { qputenv("PATH", m_empty.path().toUtf8()); }
    ~PathWithoutFfmpeg() { qputenv("PATH", m_path); }

private:
    QByteArray m_path;
    QTemporaryDir m_empty;
};

// The columns of the middle row that show the box.
int shownWidth(const QImage& frame)
{
    int shown = 0;
    for (int x = 0; x < frame.width(); ++x)
        shown += qAlpha(frame.pixel(x, frame.height() / 2)) > 0;
    return shown;
}

// ffprobe's answer on the film's video: codec, width, height, pixel format, frames.
QString probe(const QString& path)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe",
                  {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                   "stream=codec_name,width,height,pix_fmt,nb_read_frames", "-of", "csv=p=0",
                   path});
    ffprobe.waitForFinished(-1);
    return QString::fromUtf8(ffprobe.readAllStandardOutput()).trimmed();
}

// Presses "Abbrechen" in the progress dialog over `parent` once it counts
// `frames` frames written.
void cancelAfter(QWidget* parent, int frames)
{
    QTimer::singleShot(0, parent, [parent, frames] {
        QProgressDialog* progress = parent->findChild<QProgressDialog*>();
        if (progress && progress->isVisible() && progress->value() >= frames)
            ui::click(*progress, "Abbrechen");
        else
            cancelAfter(parent, frames);
    });
}

} // namespace

class TestFilm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        requestAlphaChannel();
        QVERIFY2(!QStandardPaths::findExecutable("ffmpeg").isEmpty() &&
                     !QStandardPaths::findExecutable("ffprobe").isEmpty(),
                 "ffmpeg and ffprobe, a test package (tools/common.sh), are not installed");
    }

    // Four frames a quarter turn apart about the vertical axis, at the
    // view's size: the first the refined still picture; the box's width
    // seen, |cos a| + |sin a| / 4 of its width, as the depth turns into view.
    void withoutFfmpegTheFramesArePngFiles()
    {
        Scene scene;
        TestView& view = scene.view;
        view->setRefining(true);
        QString fault;
        QVERIFY2(savePicture(&view.widget(), "still.png", 1, fault), qPrintable(fault));
        const PathWithoutFfmpeg path;
        const QString film =
            saveFilm(&view.widget(), {"out/turn.mp4", 4, 1}, &view.widget(), fault);
        QVERIFY2(!film.isEmpty(), qPrintable(fault));
        QCOMPARE(QFileInfo(film).absoluteFilePath(), QFileInfo("out/turn").absoluteFilePath());
        QCOMPARE(scene.written(), QStringList{"turn"});
        const QStringList frames{"turn_000.png", "turn_001.png", "turn_002.png", "turn_003.png"};
        QCOMPARE(QDir("out/turn").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), frames);
        QCOMPARE(QImage("out/turn/turn_000.png"), QImage("still.png"));
        const int width = shownWidth(QImage("out/turn/turn_000.png"));
        QVERIFY2(width > 50, qPrintable(QString::number(width)));
        for (int i = 0; i < 4; ++i) {
            const QImage frame("out/turn/" + frames[i]);
            QCOMPARE(frame.size(), QSize(161, 121));
            const double angle = i * M_PI / 2;
            const double expected =
                width * (std::abs(std::cos(angle)) + std::abs(std::sin(angle)) / 4);
            QVERIFY2(std::abs(shownWidth(frame) - expected) <= 2,
                     qPrintable(QString("frame %1: %2 columns, not %3")
                                    .arg(i)
                                    .arg(shownWidth(frame))
                                    .arg(expected)));
        }
    }

    // H.264 in yuv420p, the odd view cut to even sides; the view as it was.
    void withFfmpegTheFilmIsAnMp4File_data()
    {
        QTest::addColumn<int>("scale");
        QTest::addColumn<QString>("stream");
        QTest::newRow("the view's size") << 1 << "h264,160,120,yuv420p,6";
        QTest::newRow("twice") << 2 << "h264,322,242,yuv420p,6";
    }

    void withFfmpegTheFilmIsAnMp4File()
    {
        QFETCH(int, scale);
        QFETCH(QString, stream);
        Scene scene;
        TestView& view = scene.view;
        const QImage before = view.render();
        QString fault;
        const QString film =
            saveFilm(&view.widget(), {"out/turn.mp4", 6, scale}, &view.widget(), fault);
        QVERIFY2(!film.isEmpty(), qPrintable(fault));
        QCOMPARE(scene.written(), QStringList{"turn.mp4"});
        QCOMPARE(probe("out/turn.mp4"), stream);
        QCOMPARE(view.render(), before);
    }

    // Cancelled after three frames: no file, no folder, the view as it was.
    void aCancelLeavesNothing_data()
    {
        QTest::addColumn<bool>("ffmpeg");
        QTest::newRow("MP4") << true;
        QTest::newRow("PNG files") << false;
    }

    void aCancelLeavesNothing()
    {
        QFETCH(bool, ffmpeg);
        Scene scene;
        TestView& view = scene.view;
        const QImage before = view.render();
        std::optional<PathWithoutFfmpeg> path;
        if (!ffmpeg)
            path.emplace();
        cancelAfter(&view.widget(), 3);
        QString fault;
        const QString film =
            saveFilm(&view.widget(), {"out/turn.mp4", 40, 1}, &view.widget(), fault);
        QCOMPARE(film, QString());
        QCOMPARE(fault, QString());
        QCOMPARE(scene.written(), QStringList());
        QCOMPARE(view.render(), before);
    }
};

QTEST_MAIN(TestFilm)
#include "tst_film.moc"
