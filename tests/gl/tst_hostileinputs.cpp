// Hostile entries in the data folder, loaded as the user loads them (a click
// on the list, then "Datei Laden"), and broken shader files met at start. A
// refused entry leaves the volume, its histogram and its texture as they were;
// broken shaders are reported, and the window still loads and draws.

#include "app/mainwindow.h"
#include "tests/support/consolecapture.h"
#include "tests/support/expectedvolume.h"
#include "tests/support/testfolder.h"
#include "volume/volumeloader.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// What an entry is; the links are symbolic ones.
enum Kind { File, Missing, Folder, Unreadable, LinkLoop, Dangling, DeviceLink, Pipe, TooWide };

using Printed = std::pair<QByteArray, QByteArray>; // standard output, standard error

Printed printed(const ConsoleCapture& console)
{
    return {QByteArray::fromStdString(console.out()), QByteArray::fromStdString(console.err())};
}

// In the order the view reads them.
const QByteArrayList kShaderFiles = {"slices.frag", "slices.vert",  "fbo.frag",
                                     "fbo.vert",    "raycast.frag", "raycast.vert"};

// The volume loaded first: many densities, tall enough for the view to draw.
QByteArray goodVolumeBytes()
{
    std::vector<uint16_t> samples(12 * 10 * 8);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = uint16_t((i * 37 + 5) % 4096);
    return volumeFileBytes(12, 10, 8, samples);
}

// The loader's refusals; tst_volumeloader checks each text case by case.
QByteArray refusal(const QString& why = {})
{
    return "+ Error loading file" + (why.isEmpty() ? "" : ": " + why).toUtf8() + ".\n\n";
}

QByteArray tooLarge(int w, int h, int d)
{
    return refusal(
        QString::asprintf("a volume of %d x %d x %d samples does not fit in memory", w, h, d));
}

// Creates an entry by its raw name bytes: nothing may convert the name on the
// way to the file system.
void createEntry(const QByteArray& path, int kind, const QByteArray& bytes)
{
    const char* name = path.constData();
    if (kind == File || kind == Unreadable) {
        std::ofstream file(name, std::ios::binary);
        QVERIFY(file.write(bytes.constData(), bytes.size()).flush());
        QVERIFY(kind == File || chmod(name, 0) == 0);
    } else if (kind != Missing) {
        const QByteArray target = kind == DeviceLink ? "/dev/zero"
                                  : kind == Dangling ? "nowhere/none.dat"
                                                     : path.mid(path.lastIndexOf('/') + 1);
        QCOMPARE(kind == Folder ? mkdir(name, 0755)
                 : kind == Pipe ? mkfifo(name, 0644)
                                : symlink(target.constData(), name),
                 0);
    }
}

// Standard output of a load from `path`: the loader's lines, only the first where it refuses
// the file, then the upload of the volume on screen.
QByteArray loadLines(const QByteArray& path, const VolumeData& shown, bool loaded = true)
{
    QByteArray text = "- Loading file '" + path + "' ... \n";
    if (loaded) {
        text += "- File loaded.\n";
        for (int z = 0, d = shown.depth; z < d; ++z)
            text += "\r- Preparing data (" + QByteArray::number(d > 1 ? 100 * z / (d - 1) : 100) +
                    "%) ...";
        text += "\n- Data prepared.\n";
    }
    return text +
           "####################################\nWidth: " + QByteArray::number(shown.width) +
           "\nHeight: " + QByteArray::number(shown.height) +
           "\nDepth: " + QByteArray::number(shown.depth) + "\n";
}

// The volume texture as the GL holds it: its extents and its texels.
using Texture = std::pair<std::vector<GLint>, std::vector<float>>;

Texture volumeTexture(GLWidget* view)
{
    view->makeCurrent();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_3D, view->volumeTexture());
    std::vector<GLint> size(3);
    glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_WIDTH, &size[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_HEIGHT, &size[1]);
    glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_DEPTH, &size[2]);
    std::vector<float> texels(size_t(size[0]) * size[1] * size[2], -1.0f);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_3D, 0, GL_LUMINANCE, GL_FLOAT, texels.data());
    return {size, texels};
}

// The texture holds the volume's voxels, to the precision of its 16-bit texels.
bool textureHolds(const Texture& texture, const VolumeData& volume)
{
    const auto near = [](float a, float b) { return std::fabs(a - b) <= 1.0f / 65535.0f; };
    return texture.first == std::vector<GLint>{volume.width, volume.height, volume.depth} &&
           std::equal(volume.voxels.begin(), volume.voxels.end(), texture.second.begin(), near);
}

// A frame reports each GL step on standard error: "<label>: no error" when all is well.
bool onlyNoErrorLines(const QByteArray& err)
{
    return QRegularExpression("\\A([^\n]*: no error\n)*\\z")
        .match(QString::fromLatin1(err))
        .hasMatch();
}

// The process's peak resident size in bytes ("VmHWM"), -1 if unknown.
int64_t peakResidentSize()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, 6, "VmHWM:") == 0)
            return std::stoll(line.substr(6)) * 1024;
    return -1;
}

bool resetPeakResidentSize()
{
    std::ofstream clearRefs("/proc/self/clear_refs");
    return bool(clearRefs << "5" << std::flush);
}

} // namespace

class TestHostileInputs : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<MainWindow> m_window;

    // Makes and shows the main window, which lists dat/; returns what its start printed.
    Printed openWindow()
    {
        ConsoleCapture console;
        m_window.reset(new MainWindow);
        m_window->show();
        const bool shown = QTest::qWaitForWindowExposed(m_window.get());
        m_window->m_glWidget->makeCurrent();
        return shown ? printed(console) : Printed();
    }

    // Selects the entry with a click and presses "Datei Laden".
    Printed loadEntry(const QByteArray& name)
    {
        QListWidget* list = m_window->m_listwidget_fileList;
        const auto items = list->findItems(QString::fromLatin1(name), Qt::MatchExactly);
        if (items.size() != 1)
            return {};
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(items[0]).center());
        ConsoleCapture console;
        QTest::mouseClick(m_window->m_button_fileLoad, Qt::LeftButton);
        return printed(console);
    }

    // Rebuilds the transfer function with a click on the histogram, sets the
    // slicing check box with a click, and draws one frame.
    Printed drawFrame(bool slicing)
    {
        Histogram* histogram = m_window->m_graphic_view;
        ConsoleCapture console;
        // White points, as the colour dialog would make them, so the volume shows.
        histogram->m_controlPoints = {{Qt::white, 0, 199}, {Qt::white, 770, 0}};
        QTest::mouseClick(histogram, Qt::LeftButton, Qt::NoModifier, QPoint(385, 100));
        if (histogram->m_controlPoints.size() != 3)
            return {};
        histogram->m_controlPoints[1].color = Qt::white;
        m_window->m_glWidget->updateTransferFunction(histogram->m_controlPoints, histogram->width(),
                                                     histogram->height());
        QCheckBox* box = m_window->m_checkbox_slicing;
        if (box->isChecked() != slicing)
            QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(5, box->height() / 2));
        m_window->m_glWidget->updateGL();
        return printed(console);
    }

private slots:
    void cleanup()
    {
        m_window.reset();
        m_folder.reset();
    }

    void hostileInput_data()
    {
        // An entry of dat/ or shader files, made before the window starts.
        QTest::addColumn<QByteArrayList>("files");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("error"); // standard error of the entry's load
        QTest::addColumn<QByteArray>("log");   // header of a compiler log at start
        const auto entry = [](const char* tag, const char* name, int kind, const QByteArray& bytes,
                              const QByteArray& error) {
            QTest::newRow(tag) << QByteArrayList{"dat/" + QByteArray(name)} << kind << bytes
                               << error << QByteArray();
        };
        const auto shaders = [](const char* tag, const QByteArrayList& files, int kind,
                                const QByteArray& text, const char* log = "") {
            QTest::newRow(tag) << files << kind << text << QByteArray() << QByteArray(log);
        };
        const QByteArray shortFile = refusal("the file is shorter than its 6-byte header");
        const QByteArray header = volumeFileBytes(2, 2, 2, {});

        for (int size = 0; size <= 5; ++size)
            entry(qPrintable(QString("%1 bytes").arg(size)), "short.dat", File, header.left(size),
                  shortFile);
        entry("quote, control and undecodable bytes in a name", "it's \x01\xff\xfe.dat", File,
              header.left(3), shortFile);
        for (const QVector<int>& e : {QVector<int>{0, 4, 4}, {4, 0, 4}, {4, 4, 0}}) {
            const QString volume = QString::asprintf("%d x %d x %d", e[0], e[1], e[2]);
            entry(qPrintable("zero extent " + volume), "zero.dat", File,
                  volumeFileBytes(e[0], e[1], e[2], {1, 2, 3, 4}),
                  refusal("the volume " + volume + " has no samples"));
        }
        entry("giant extents in a tiny file", "giant.dat", File,
              volumeFileBytes(65535, 65535, 65535, {4095, 4095}), tooLarge(65535, 65535, 65535));
        // Cut short after 20 samples and half of the 21st.
        std::vector<uint16_t> samples(20);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = uint16_t(100 * i + 7);
        entry("truncated samples", "cut.dat", File,
              volumeFileBytes(11, 12, 3, samples).append(char(0x55)), {});
        const uint16_t high[] = {4096, 65535, 4095, 0, 8191, 12, 32768, 4094};
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = high[i % 8];
        entry("samples above 4095", "high.dat", File, volumeFileBytes(2, 10, 1, samples), {});
        entry("folder", "x.dat", Folder, {}, refusal());
        entry("no read permission", "locked.dat", Unreadable, goodVolumeBytes(), refusal());
        entry("symlink loop", "loop.dat", LinkLoop, {}, refusal());
        entry("dangling symlink", "gone.dat", Dangling, {}, refusal());
        entry("named pipe", "pipe.dat", Pipe, {}, refusal());
        entry("link to a device", "zero.dat", DeviceLink, {}, refusal());
        entry("Latin-1 name", "gr\xfc\xdf\xe9 K\xf6pfe.dat", File,
              volumeFileBytes(3, 10, 2, std::vector<uint16_t>(60, 900)), {});
        entry("UTF-8 name", "\xc3\xa9t\xc3\xa9 \xe2\x82\xac.dat", File,
              volumeFileBytes(2, 11, 1, std::vector<uint16_t>(22, 3000)), {});
        // Loads into the record, but its upload fails: the texture keeps the volume before.
        entry("wider than the GL's 3D textures", "wide.dat", TooWide, {},
              "Could not upload texture: invalid value\n");

        QByteArray garbage;
        for (int i = 0; i < 300; ++i)
            garbage.append(char(0x80 + (i * 73) % 128)).append(char(1 + i % 31));
        QByteArray syntaxError = shaderSource("raycast.frag");
        syntaxError.insert(syntaxError.indexOf("void main"), "this is not a declaration\n");
        shaders("every shader file missing", kShaderFiles, Missing, {});
        shaders("empty slices.vert", {"slices.vert"}, File, {});
        shaders("named pipe as raycast.frag", {"raycast.frag"}, Pipe, {});
        shaders("binary garbage in fbo.frag", {"fbo.frag"}, File, garbage,
                "compiler_log FBO fragment-shader:\n");
        shaders("syntax error in raycast.frag", {"raycast.frag"}, File, syntaxError,
                "compiler_log raycast fragment-shader:\n");
    }

    void hostileInput()
    {
        QFETCH(QByteArrayList, files);
        QFETCH(int, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, error);
        QFETCH(QByteArray, log);
        if (kind == Unreadable && geteuid() == 0)
            QSKIP("root reads any file");
        m_folder.reset(new TestFolder(TestFolder::WithShaders));
        QCOMPARE(mkdir("dat", 0755), 0);
        createEntry("dat/good.dat", File, goodVolumeBytes());
        if (kind == TooWide) {
            QVERIFY(!openWindow().second.isEmpty()); // the GL's limit needs a context
            GLint limit = 0;
            glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &limit);
            if (limit >= 65535)
                QSKIP("the GL takes 3D textures as wide as any volume");
            bytes = volumeFileBytes(limit + 1, 10, 1, std::vector<uint16_t>((limit + 1) * 10, 9));
            kind = File;
        }
        for (const QByteArray& file : files) {
            unlink(file.constData()); // a shader file is replaced, not written through
            createEntry(file, kind, bytes);
        }
        if (QTest::currentTestFailed())
            return;

        // The start names each file it cannot read, in the order it reads them,
        // and shows the log of each that does not compile.
        const Printed start = openWindow();
        QByteArray unreadable;
        for (const QByteArray& name : kShaderFiles)
            if (bytes.isEmpty() && files.contains(name))
                unreadable += QByteArray("Could not read shader file: ") + name + "\n";
        GLint units = 0;
        glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
        QCOMPARE(start.second, "Texture Units available = " + QByteArray::number(units) + "\n" +
                                   unreadable + "OpenGL initialization finished \n");
        const int at = log.isEmpty() ? -1 : start.first.indexOf(log);
        QVERIFY2(log.isEmpty() ? !start.first.contains("compiler_log")
                               : at >= 0 && start.first.size() > at + log.size() + 1 &&
                                     start.first.endsWith('\n'),
                 start.first.constData());

        GLWidget* view = m_window->m_glWidget;
        const VolumeData good = expectedVolume(goodVolumeBytes());
        QCOMPARE(loadEntry("good.dat"), Printed(loadLines("dat/good.dat", good), {}));
        QVERIFY(sameVolume(view->volume(), good));
        const Texture goodTexture = volumeTexture(view);
        QVERIFY(textureHolds(goodTexture, good));
        const int32_t* counts = m_window->m_graphic_view->m_histogram;
        QCOMPARE(counts, view->volume().histogram.data());

        // A refusal shows the path byte for byte, then uploads the volume on
        // screen again unchanged; a load replaces it, and the texture too
        // unless the upload fails.
        const QByteArray path = files[0];
        const bool isEntry = path.startsWith("dat/"), loads = isEntry && !error.startsWith("+ ");
        if (isEntry) {
            const Printed load = loadEntry(path.mid(4));
            const VolumeData expected = loads ? expectedVolume(bytes) : good;
            QCOMPARE(load.first, loadLines(path, expected, loads));
            QCOMPARE(load.second, error);
            QVERIFY(sameVolume(view->volume(), expected));
            QVERIFY(error.isEmpty() ? textureHolds(volumeTexture(view), expected)
                                    : volumeTexture(view) == goodTexture);
            QCOMPARE(m_window->m_graphic_view->m_histogram, counts);
            QCOMPARE(counts, view->volume().histogram.data());
        }

        // Both kinds of frame still draw. The ray-cast frame comes first: a pass
        // whose program did not link must leave no GL error behind, or the next
        // click's transfer-function upload fails.
        const QByteArray replaced = files.join(' ');
        for (bool slicing : {false, true}) {
            const Printed frame = drawFrame(slicing);
            QVERIFY2(!frame.second.contains("Could not"), frame.second.constData());
            QVERIFY2(slicing || frame.first.startsWith("x: 0 y: 0\n"), frame.first.constData());
            if (slicing ? replaced.contains("slices.")
                        : replaced.contains("fbo.") || replaced.contains("raycast."))
                continue;
            QVERIFY2(!frame.second.isEmpty() && onlyNoErrorLines(frame.second),
                     frame.second.constData());
            if (slicing && !loads) {
                // The white middle slice of the good volume shows.
                const QImage image = view->grabFrameBuffer();
                const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
                QVERIFY2(qRed(centre) > 0 && qGreen(centre) > 0 && qBlue(centre) > 0,
                         qPrintable(QString::number(centre, 16)));
            }
        }
    }

    // A header that cannot be loaded is refused from its numbers alone: the
    // peak resident size does not grow while the loader turns it down.
    void refusedHeadersAllocateNothing()
    {
        m_folder.reset(new TestFolder);
        createEntry("giant.dat", File, volumeFileBytes(65535, 65535, 65535, {1, 2, 3}));
        // Every sample is in the file: a loader that read before it checked would hold 50 MB.
        createEntry("large.dat", File,
                    volumeFileBytes(256, 256, 129, std::vector<uint16_t>(256 * 256 * 129, 900)));
        for (const uint64_t budget : {uint64_t(0), uint64_t(48) << 20}) {
            VolumeData volume;
            ConsoleCapture console;
            // The console's buffers are made before the measurement.
            console::out() << std::string(4096, ' ');
            console::err() << std::string(4096, ' ');
            console.clear();
            if (peakResidentSize() < 0 || !resetPeakResidentSize())
                QSKIP("the peak resident size cannot be reset here");
            const int64_t before = peakResidentSize();
            // The default budget for the giant header, 48 MiB for one slice too many.
            budget ? readVolumeFile("large.dat", volume, budget)
                   : readVolumeFile("giant.dat", volume);
            const int64_t growth = peakResidentSize() - before;
            QCOMPARE(QByteArray::fromStdString(console.err()),
                     budget ? tooLarge(256, 256, 129) : tooLarge(65535, 65535, 65535));
            QCOMPARE(volume.width, 1);
            QVERIFY2(growth < 512 * 1024,
                     qPrintable(QString("the peak grew by %1 bytes").arg(growth)));
        }
    }
};

QTEST_MAIN(TestHostileInputs)
#include "tst_hostileinputs.moc"
