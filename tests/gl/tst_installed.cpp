// The installed program: the install rules copy it into a staging root
// (DESTDIR), and it runs from there in an empty folder, as a desktop menu or a
// shell elsewhere starts it, and is read from the screen.

#include "tests/support/testfolder.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QtTest>

class TestInstalled : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QProcess m_kastra;
    QByteArray m_output; // both streams
    const QString m_program = m_root.filePath("usr/bin/kastra");

    // The pixels of the screen in `area` (all of it when null) that `match`
    // takes: their bounding box and count.
    template <typename Match> static std::pair<QRect, int> pixels(QRect area, Match match)
    {
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        area = area.isNull() ? screen.rect() : area;
        std::pair<QRect, int> found;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (match(screen.pixel(x, y)))
                    found = {found.first | QRect(x, y, 1, 1), found.second + 1};
        return found;
    }

    bool printed(const QByteArray& text)
    {
        m_output += m_kastra.readAll();
        return m_output.contains(text);
    }

private slots:
    void initTestCase()
    {
        m_kastra.setProcessChannelMode(QProcess::MergedChannels);
        qputenv("DESTDIR", m_root.path().toLocal8Bit());
        const QStringList install{"--install", KASTRA_BUILD_DIR, "--prefix", "/usr"};
        QCOMPARE(QProcess::execute("cmake", install), 0);
    }

    void cleanup()
    {
        m_kastra.kill();
        m_kastra.waitForFinished();
        m_output.clear();
    }

    // A slab of density 2000 between layers of air, named on the command
    // line, starts with the object ramp from the air, clear, to the slab,
    // 0..2000: the histogram shows the air's bar at its left edge
    // (the window's last bin has none), and the view below it (10 px further
    // left) shows the slab lit with no click.
    void drawsAVolumeFromItsCommandLine()
    {
        std::vector<uint16_t> samples(32 * 32 * 32, 0);
        std::fill(samples.begin() + 8 * 32 * 32, samples.begin() + 24 * 32 * 32, 2000);
        TestFolder data;
        data.write("slab.dat", volumeFileBytes(32, 32, 32, samples));
        TestFolder empty;
        m_kastra.start(m_program, {QString::fromStdString(data.file("slab.dat"))});
        QTRY_VERIFY_WITH_TIMEOUT(printed("- Data prepared.\n"), 60000);
        QVERIFY(printed(
            ("- Loading file '" + data.file("slab.dat") + "' ... \n- File loaded.\n").c_str()));
        QVERIFY(!printed("Could not read shader file") && !printed("compiler_log"));

        QRect bars;
        const auto red = [](QRgb pixel) { return pixel == qRgb(255, 0, 0); };
        QTRY_VERIFY_WITH_TIMEOUT((bars = pixels({}, red).first).isValid(), 30000);
        QCOMPARE(bars.width(), 1);

        const QRect view(bars.left() - 10, bars.bottom() + 1, 700, 500);
        const auto lit = [](QRgb pixel) { return qGray(pixel) > 32; };
        QTRY_VERIFY_WITH_TIMEOUT(pixels(view, lit).second > 1000, 30000);
    }

    // Without a display, --help and --version answer; the window says in one
    // line that it cannot open, as the converter does when no one reads it.
    void answersWithoutADisplay()
    {
        TestFolder folder;
        folder.write("v.dat", volumeFileBytes(2, 2, 2, std::vector<uint16_t>(8, 1)));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        environment.insert("PATH", m_root.filePath("usr/bin:") + environment.value("PATH"));
        const std::pair<const char*, const char*> answers[] = {
            {"kastra --help", "0 Usage: kastra [PATH]\n\n"},
            {"kastra --version", "0 kastra 0.1\n"},
            {"kastra-convert --version", "0 kastra-convert 0.1\n"},
            {"kastra", "1 kastra: cannot open the window: could not connect to display (no display "
                       "is set: start Kastra in a desktop session)\n"},
            // A pipe that no one reads.
            {"mkfifo p; exec 3<>p 4>p 3<&-; kastra-convert v.dat --list >&4",
             "1 kastra-convert: cannot write to the standard output: Broken pipe\n"}};
        for (const auto& [command, answer] : answers) {
            QProcess shell;
            shell.setProcessEnvironment(environment);
            shell.setProcessChannelMode(QProcess::MergedChannels);
            shell.start("bash", {"-c", command});
            QVERIFY(shell.waitForFinished(30000));
            const QString said = QString::number(shell.exitCode()) + " " + shell.readAll();
            QVERIFY2(said.startsWith(answer), qPrintable(said));
        }
    }

    // A shader in the working folder comes before the installed one, and one
    // found in no folder is named once. Last: it takes a file out of the installation.
    void readsShadersFromTheWorkingFolderFirst()
    {
        QVERIFY(QFile::remove(m_root.filePath("usr/share/kastra/fbo.vert")));
        TestFolder folder;
        folder.write("slices.frag", "#version 110\nnot a shader\n");
        m_kastra.start(m_program, QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(printed("OpenGL initialization finished"), 60000);
        QVERIFY(printed("compiler_log fragment-shader:\n"));
        QVERIFY(printed("Could not read shader file: fbo.vert\n") &&
                m_output.count("Could not") == 1);
    }
};

QTEST_MAIN(TestInstalled)
#include "tst_installed.moc"
