// Broken and hostile entries in the data folder, loaded the way the user
// loads them: selected in the list and loaded with "Datei Laden" on the real
// main window. A refused entry must leave the volume on screen, its histogram
// and its texture as they were; an entry that loads must replace all three.
// Broken shader files must be reported and leave a window that still loads
// and draws.

#include "app/mainwindow.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "volume/volumeloader.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

enum EntryKind {
    RegularFile,
    Folder,
    UnreadableFile,
    SymlinkLoop,
    DanglingSymlink,
    NamedPipe,
    DeviceLink
};

// The good volume loaded first: 12 x 10 x 8 samples of many densities, tall
// enough for the view to draw it.
const int kGoodWidth = 12, kGoodHeight = 10, kGoodDepth = 8;

QByteArray goodVolumeBytes()
{
    std::vector<uint16_t> samples(size_t(kGoodWidth) * kGoodHeight * kGoodDepth);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = uint16_t((i * 37 + 5) % 4096);
    return volumeFileBytes(kGoodWidth, kGoodHeight, kGoodDepth, samples);
}

QByteArray header(int width, int height, int depth)
{
    return volumeFileBytes(width, height, depth, {});
}

// Creates a data-folder entry by its raw name bytes: no conversion of the
// name may happen on the way to the file system.
void createEntry(const QByteArray& path, int kind, const QByteArray& bytes)
{
    switch (kind) {
    case RegularFile:
    case UnreadableFile: {
        const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
        close(fd);
        if (kind == UnreadableFile)
            QCOMPARE(chmod(path.constData(), 0), 0);
        break;
    }
    case Folder:
        QCOMPARE(mkdir(path.constData(), 0755), 0);
        break;
    case SymlinkLoop:
        QCOMPARE(symlink(path.mid(path.lastIndexOf('/') + 1).constData(), path.constData()), 0);
        break;
    case DanglingSymlink:
        QCOMPARE(symlink("nowhere/none.dat", path.constData()), 0);
        break;
    case NamedPipe:
        QCOMPARE(mkfifo(path.constData(), 0644), 0);
        break;
    case DeviceLink:
        QCOMPARE(symlink("/dev/zero", path.constData()), 0);
        break;
    }
}

// What a load of these bytes must produce, worked out from the format:
// missing samples are 0, samples above 4095 count as 4095.
VolumeData expectedVolume(const QByteArray& bytes)
{
    const auto u16 = [&bytes](int offset) {
        return unsigned(uint8_t(bytes[offset])) | unsigned(uint8_t(bytes[offset + 1])) << 8;
    };
    VolumeData volume;
    volume.width = int32_t(u16(0));
    volume.height = int32_t(u16(2));
    volume.depth = int32_t(u16(4));
    const size_t count = size_t(volume.width) * volume.height * volume.depth;
    volume.voxels.assign(count, 0.0f);
    for (size_t i = 0; i < count; ++i) {
        const int offset = 6 + 2 * int(i);
        const unsigned sample = offset + 1 < bytes.size() ? std::min(u16(offset), 4095u) : 0u;
        volume.voxels[i] = float(double(sample) / 4095.0);
        ++volume.histogram[sample];
    }
    return volume;
}

std::string loaderLines(const std::string& path, int depth)
{
    std::string text = "- Loading file '" + path + "' ... \n- File loaded.\n";
    for (int z = 0; z < depth; ++z)
        text += "\r- Preparing data (" + std::to_string(depth > 1 ? 100 * z / (depth - 1) : 100) +
                "%) ...";
    return text + "\n- Data prepared.\n";
}

std::string uploadLines(int width, int height, int depth)
{
    return "####################################\nWidth: " + std::to_string(width) +
           "\nHeight: " + std::to_string(height) + "\nDepth: " + std::to_string(depth) + "\n";
}

// The volume texture as the GL holds it: its size and its texels.
struct TextureContents
{
    GLint width = 0, height = 0, depth = 0;
    std::vector<float> texels;
};

TextureContents volumeTexture(GLWidget* view)
{
    view->makeCurrent();
    TextureContents texture;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_3D, view->volumeTexture());
    glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_WIDTH, &texture.width);
    glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_HEIGHT, &texture.height);
    glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_DEPTH, &texture.depth);
    texture.texels.assign(size_t(texture.width) * texture.height * texture.depth, -1.0f);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_3D, 0, GL_LUMINANCE, GL_FLOAT, texture.texels.data());
    return texture;
}

// The texture holds the volume's voxels, to the precision of its 16-bit texels.
void verifyTextureHolds(const TextureContents& texture, const VolumeData& volume)
{
    QCOMPARE(texture.width, volume.width);
    QCOMPARE(texture.height, volume.height);
    QCOMPARE(texture.depth, volume.depth);
    for (size_t i = 0; i < volume.voxels.size(); ++i)
        if (std::fabs(texture.texels[i] - volume.voxels[i]) > 1.0f / 65535.0f)
            QFAIL(qPrintable(QString("texel %1 holds %2 instead of %3")
                                 .arg(i)
                                 .arg(double(texture.texels[i]))
                                 .arg(double(volume.voxels[i]))));
}

void verifySameVolume(const VolumeData& actual, const VolumeData& expected)
{
    QCOMPARE(actual.width, expected.width);
    QCOMPARE(actual.height, expected.height);
    QCOMPARE(actual.depth, expected.depth);
    QVERIFY(actual.voxels == expected.voxels);
    QVERIFY(actual.histogram == expected.histogram);
}

// A frame reports each GL step on standard error: "<label>: no error" when
// all is well. True when every line is such a line.
bool onlyNoErrorLines(const QByteArray& err)
{
    const QList<QByteArray> lines = err.split('\n');
    for (int i = 0; i + 1 < lines.size(); ++i)
        if (!lines[i].endsWith(": no error"))
            return false;
    return err.isEmpty() || (err.endsWith('\n') && !err.contains("\n\n"));
}

// A field of /proc/self/status in bytes ("VmHWM", "VmRSS"); -1 if missing.
int64_t statusBytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(field) + ":";
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::stoll(line.substr(prefix.size())) * 1024;
    return -1;
}

// Resets the peak resident size to the current one.
bool resetPeakResidentSize()
{
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    clearRefs.flush();
    return bool(clearRefs);
}

ControlPoint whitePoint(int x, int y)
{
    ControlPoint point;
    point.color = Qt::white;
    point.x = x;
    point.y = y;
    return point;
}

} // namespace

class TestHostileInputs : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void hostileEntry_data();
    void hostileEntry();
    void volumeBeyondTheTextureLimitKeepsTheTexture();
    void refusedHeadersAllocateNothing_data();
    void refusedHeadersAllocateNothing();
    void brokenShaderFiles_data();
    void brokenShaderFiles();

private:
    // Makes a fresh working folder whose dat/ holds good.dat.
    void makeFolder(TestFolder::Shaders shaders);
    // Makes the main window there and shows it, quietly.
    void openWindow();
    int rowOf(const QByteArray& name) const;
    // Selects the row with a click and presses "Datei Laden"; returns what
    // the load printed on standard output and standard error.
    std::pair<QByteArray, QByteArray> loadEntry(const QByteArray& name);
    // Gives the view a white transfer function through a click on the
    // histogram, then draws one frame; returns what the frame printed.
    std::pair<QByteArray, QByteArray> drawFrame(bool slicing);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<MainWindow> m_window;
};

void TestHostileInputs::cleanup()
{
    m_window.reset();
    m_folder.reset();
}

void TestHostileInputs::makeFolder(TestFolder::Shaders shaders)
{
    m_folder.reset(new TestFolder(shaders));
    QCOMPARE(mkdir("dat", 0755), 0);
    createEntry("dat/good.dat", RegularFile, goodVolumeBytes());
}

void TestHostileInputs::openWindow()
{
    ConsoleCapture quiet;
    m_window.reset(new MainWindow);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

int TestHostileInputs::rowOf(const QByteArray& name) const
{
    const QString text = QString::fromLatin1(name);
    const QListWidget* list = m_window->m_listwidget_fileList;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->text() == text)
            return row;
    return -1;
}

std::pair<QByteArray, QByteArray> TestHostileInputs::loadEntry(const QByteArray& name)
{
    QListWidget* list = m_window->m_listwidget_fileList;
    const int row = rowOf(name);
    if (row < 0)
        return {};
    list->scrollToItem(list->item(row));
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    if (!list->item(row)->isSelected())
        return {};
    ConsoleCapture console;
    QTest::mouseClick(m_window->m_button_fileLoad, Qt::LeftButton);
    return {QByteArray::fromStdString(console.out()), QByteArray::fromStdString(console.err())};
}

std::pair<QByteArray, QByteArray> TestHostileInputs::drawFrame(bool slicing)
{
    GLWidget* view = m_window->m_glWidget;
    Histogram* histogram = m_window->m_graphic_view;
    ConsoleCapture console;
    // A click adds a point and rebuilds the table; the points are then made
    // white (the colour dialog would) so that the picture shows the volume.
    histogram->m_controlPoints = {whitePoint(0, 199), whitePoint(770, 0)};
    QTest::mouseClick(histogram, Qt::LeftButton, Qt::NoModifier, QPoint(385, 100));
    if (histogram->m_controlPoints.size() != 3)
        return {};
    histogram->m_controlPoints[1].color = Qt::white;
    view->updateTransferFunction(histogram->m_controlPoints, histogram->width(),
                                 histogram->height());
    if (m_window->m_checkbox_slicing->isChecked() != slicing)
        QTest::mouseClick(m_window->m_checkbox_slicing, Qt::LeftButton, Qt::NoModifier,
                          QPoint(5, m_window->m_checkbox_slicing->height() / 2));
    view->updateGL();
    return {QByteArray::fromStdString(console.out()), QByteArray::fromStdString(console.err())};
}

void TestHostileInputs::hostileEntry_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("bytes");
    // Standard error of the load; empty for an entry that loads.
    QTest::addColumn<QByteArray>("error");

    const QByteArray shortFile =
        "+ Error loading file: the file is shorter than its 6-byte header.\n\n";
    const QByteArray cannotOpen = "+ Error loading file.\n\n";
    const QByteArray wholeHeader = header(2, 2, 2);

    QTest::newRow("empty file") << QByteArray("empty.dat") << int(RegularFile) << QByteArray()
                                << shortFile;
    for (int size = 1; size <= 5; ++size)
        QTest::addRow("%d bytes", size)
            << QByteArray("short.dat") << int(RegularFile) << wholeHeader.left(size) << shortFile;
    QTest::newRow("zero width") << QByteArray("w0.dat") << int(RegularFile)
                                << volumeFileBytes(0, 4, 4, {1, 2, 3, 4})
                                << QByteArray("+ Error loading file: the volume 0 x 4 x 4 has no "
                                              "samples.\n\n");
    QTest::newRow("zero height") << QByteArray("h0.dat") << int(RegularFile) << header(4, 0, 4)
                                 << QByteArray("+ Error loading file: the volume 4 x 0 x 4 has no "
                                               "samples.\n\n");
    QTest::newRow("zero depth") << QByteArray("d0.dat") << int(RegularFile) << header(4, 4, 0)
                                << QByteArray("+ Error loading file: the volume 4 x 4 x 0 has no "
                                              "samples.\n\n");
    QTest::newRow("giant extents in a tiny file")
        << QByteArray("giant.dat") << int(RegularFile)
        << volumeFileBytes(65535, 65535, 65535, {4095, 4095})
        << QByteArray("+ Error loading file: a volume of 65535 x 65535 x 65535 samples does not "
                      "fit in memory.\n\n");

    // Cut short after 20 samples and half of the 21st.
    std::vector<uint16_t> some(20);
    for (size_t i = 0; i < some.size(); ++i)
        some[i] = uint16_t(100 * i + 7);
    QTest::newRow("truncated samples")
        << QByteArray("cut.dat") << int(RegularFile)
        << volumeFileBytes(11, 12, 3, some).append(char(0x55)) << QByteArray();

    std::vector<uint16_t> high(size_t(4 * 10 * 2));
    const uint16_t values[] = {4096, 65535, 4095, 0, 8191, 12, 32768, 4094};
    for (size_t i = 0; i < high.size(); ++i)
        high[i] = values[i % 8];
    QTest::newRow("samples above 4095") << QByteArray("high.dat") << int(RegularFile)
                                        << volumeFileBytes(4, 10, 2, high) << QByteArray();

    QTest::newRow("folder") << QByteArray("x.dat") << int(Folder) << QByteArray() << cannotOpen;
    QTest::newRow("no read permission")
        << QByteArray("locked.dat") << int(UnreadableFile) << goodVolumeBytes() << cannotOpen;
    QTest::newRow("Latin-1 name") << QByteArray("gr\xfc\xdf\xe9 K\xf6pfe.dat") << int(RegularFile)
                                  << volumeFileBytes(3, 10, 2, std::vector<uint16_t>(60, 900))
                                  << QByteArray();
    QTest::newRow("UTF-8 name") << QByteArray("\xc3\xa9t\xc3\xa9 \xe2\x82\xac.dat")
                                << int(RegularFile)
                                << volumeFileBytes(2, 11, 1, std::vector<uint16_t>(22, 3000))
                                << QByteArray();
    QTest::newRow("quote, control and undecodable bytes in a name")
        << QByteArray("it's \x01\xff\xfe.dat") << int(RegularFile) << wholeHeader.left(3)
        << shortFile;
    QTest::newRow("symlink loop") << QByteArray("loop.dat") << int(SymlinkLoop) << QByteArray()
                                  << cannotOpen;
    QTest::newRow("dangling symlink")
        << QByteArray("gone.dat") << int(DanglingSymlink) << QByteArray() << cannotOpen;
    QTest::newRow("named pipe") << QByteArray("pipe.dat") << int(NamedPipe) << QByteArray()
                                << cannotOpen;
    QTest::newRow("link to a device")
        << QByteArray("zero.dat") << int(DeviceLink) << QByteArray() << cannotOpen;
}

void TestHostileInputs::hostileEntry()
{
    QFETCH(QByteArray, name);
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, error);
    if (kind == UnreadableFile && geteuid() == 0)
        QSKIP("root reads any file");

    makeFolder(TestFolder::WithShaders);
    createEntry("dat/" + name, kind, bytes);
    openWindow();
    if (QTest::currentTestFailed())
        return;
    GLWidget* view = m_window->m_glWidget;
    Histogram* histogram = m_window->m_graphic_view;

    // The good volume, loaded the same way.
    auto printed = loadEntry("good.dat");
    QCOMPARE(printed.first,
             QByteArray::fromStdString(loaderLines("dat/good.dat", kGoodDepth) +
                                       uploadLines(kGoodWidth, kGoodHeight, kGoodDepth)));
    QCOMPARE(printed.second, QByteArray());
    const VolumeData good = view->volume();
    verifySameVolume(good, expectedVolume(goodVolumeBytes()));
    const TextureContents goodTexture = volumeTexture(view);
    verifyTextureHolds(goodTexture, good);
    const int32_t* counts = histogram->m_histogram;
    QCOMPARE(counts, view->volume().histogram.data());

    printed = loadEntry(name);
    const std::string path = "dat/" + name.toStdString();
    if (error.isEmpty()) {
        // It loads and replaces the volume, the histogram and the texture.
        const VolumeData expected = expectedVolume(bytes);
        QCOMPARE(printed.first, QByteArray::fromStdString(
                                    loaderLines(path, expected.depth) +
                                    uploadLines(expected.width, expected.height, expected.depth)));
        QCOMPARE(printed.second, QByteArray());
        verifySameVolume(view->volume(), expected);
        verifyTextureHolds(volumeTexture(view), expected);
    } else {
        // Refused: the path shows byte for byte, the error follows, and the
        // volume on screen is uploaded again unchanged.
        QCOMPARE(printed.first,
                 QByteArray::fromStdString("- Loading file '" + path + "' ... \n" +
                                           uploadLines(kGoodWidth, kGoodHeight, kGoodDepth)));
        QCOMPARE(printed.second, error);
        verifySameVolume(view->volume(), good);
        const TextureContents texture = volumeTexture(view);
        QCOMPARE(texture.width, goodTexture.width);
        QCOMPARE(texture.height, goodTexture.height);
        QCOMPARE(texture.depth, goodTexture.depth);
        QVERIFY(texture.texels == goodTexture.texels);
    }
    QCOMPARE(histogram->m_histogram, counts);
    QVERIFY(std::equal(counts, counts + kDensityCount, view->volume().histogram.begin()));

    // The view still draws, without a GL error.
    for (bool slicing : {false, true}) {
        printed = drawFrame(slicing);
        QVERIFY2(!printed.second.isEmpty() && onlyNoErrorLines(printed.second),
                 printed.second.constData());
    }
}

// A volume wider than the GL's largest 3D texture loads into the record, but
// its upload fails and is reported; the texture keeps the previous volume and
// frames still draw.
void TestHostileInputs::volumeBeyondTheTextureLimitKeepsTheTexture()
{
    makeFolder(TestFolder::WithShaders);
    openWindow();
    if (QTest::currentTestFailed())
        return;
    GLWidget* view = m_window->m_glWidget;
    view->makeCurrent();
    GLint limit = 0;
    glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &limit);
    if (limit >= 65535)
        QSKIP("the GL takes 3D textures as wide as any volume");
    const int width = limit + 1;
    const QByteArray bytes =
        volumeFileBytes(width, 10, 1, std::vector<uint16_t>(size_t(width) * 10, 2000));
    createEntry("dat/wide.dat", RegularFile, bytes);
    // The list was filled when the window was made; make a new one.
    openWindow();
    if (QTest::currentTestFailed())
        return;
    view = m_window->m_glWidget;

    loadEntry("good.dat");
    const TextureContents goodTexture = volumeTexture(view);
    const auto printed = loadEntry("wide.dat");
    QCOMPARE(printed.first,
             QByteArray::fromStdString(loaderLines("dat/wide.dat", 1) + uploadLines(width, 10, 1)));
    QCOMPARE(printed.second, QByteArray("Could not upload texture: invalid value\n"));
    verifySameVolume(view->volume(), expectedVolume(bytes));
    const TextureContents texture = volumeTexture(view);
    QCOMPARE(texture.width, kGoodWidth);
    QVERIFY(texture.texels == goodTexture.texels);

    for (bool slicing : {false, true}) {
        const auto frame = drawFrame(slicing);
        QVERIFY2(!frame.second.isEmpty() && onlyNoErrorLines(frame.second),
                 frame.second.constData());
    }
}

void TestHostileInputs::refusedHeadersAllocateNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qulonglong>("budget");
    QTest::addColumn<QByteArray>("error");

    QTest::newRow("giant extents, default budget")
        << volumeFileBytes(65535, 65535, 65535, {1, 2, 3}) << qulonglong(0)
        << QByteArray("+ Error loading file: a volume of 65535 x 65535 x 65535 samples does not "
                      "fit in memory.\n\n");
    // Every sample is in the file: a loader that read before it checked
    // would hold 50 MB here.
    const int depth = 129;
    QTest::newRow("one slice over a 48 MiB budget")
        << volumeFileBytes(256, 256, depth, std::vector<uint16_t>(size_t(256) * 256 * depth, 900))
        << qulonglong(48) * 1024 * 1024
        << QByteArray("+ Error loading file: a volume of 256 x 256 x 129 samples does not fit in "
                      "memory.\n\n");
}

// A header that cannot be loaded is refused from its numbers alone: the
// process's peak resident size does not grow while the loader turns it down.
void TestHostileInputs::refusedHeadersAllocateNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qulonglong, budget);
    QFETCH(QByteArray, error);
    m_folder.reset(new TestFolder);
    createEntry("refused.dat", RegularFile, bytes);
    if (statusBytes("VmHWM") < 0 || !resetPeakResidentSize())
        QSKIP("the peak resident size cannot be reset here");

    VolumeData volume;
    ConsoleCapture console;
    // Made before the measurement: the console's buffers.
    console::out() << std::string(4096, ' ');
    console::err() << std::string(4096, ' ');
    console.clear();
    QVERIFY(resetPeakResidentSize());
    const int64_t before = statusBytes("VmHWM");
    if (budget == 0)
        readVolumeFile("refused.dat", volume);
    else
        readVolumeFile("refused.dat", volume, budget);
    const int64_t growth = statusBytes("VmHWM") - before;

    QCOMPARE(QByteArray::fromStdString(console.err()), error);
    QCOMPARE(volume.width, 1);
    QVERIFY2(growth < 512 * 1024, qPrintable(QString("the peak grew by %1 bytes").arg(growth)));
}

void TestHostileInputs::brokenShaderFiles_data()
{
    QTest::addColumn<QStringList>("missing");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("text");
    // The header of the compiler log that must show on standard output, or
    // nothing when the file cannot be read at all.
    QTest::addColumn<QByteArray>("logHeader");

    QByteArray garbage;
    for (int i = 0; i < 300; ++i)
        garbage.append(char(0x80 + (i * 73) % 128)).append(char(1 + i % 31));
    QByteArray syntaxError = shaderSource("raycast.frag");
    syntaxError.insert(syntaxError.indexOf("void main"), "this is not a declaration\n");

    const int file = RegularFile;
    QTest::newRow("missing raycast.frag")
        << QStringList{"raycast.frag"} << QString() << file << QByteArray() << QByteArray();
    QTest::newRow("every file missing")
        << QStringList{"slices.frag", "slices.vert",  "fbo.frag",
                       "fbo.vert",    "raycast.frag", "raycast.vert"}
        << QString() << file << QByteArray() << QByteArray();
    QTest::newRow("empty slices.vert")
        << QStringList() << QString("slices.vert") << file << QByteArray() << QByteArray();
    QTest::newRow("named pipe as raycast.frag")
        << QStringList() << QString("raycast.frag") << int(NamedPipe) << QByteArray()
        << QByteArray();
    QTest::newRow("binary garbage in fbo.frag")
        << QStringList() << QString("fbo.frag") << file << garbage
        << QByteArray("compiler_log FBO fragment-shader:\n");
    QTest::newRow("syntax error in raycast.frag")
        << QStringList() << QString("raycast.frag") << file << syntaxError
        << QByteArray("compiler_log raycast fragment-shader:\n");
}

void TestHostileInputs::brokenShaderFiles()
{
    QFETCH(QStringList, missing);
    QFETCH(QString, file);
    QFETCH(int, kind);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, logHeader);

    makeFolder(TestFolder::WithShaders);
    for (const QString& name : missing)
        QCOMPARE(unlink(name.toLatin1().constData()), 0);
    if (!file.isEmpty()) {
        if (kind != RegularFile)
            QCOMPARE(unlink(file.toLatin1().constData()), 0);
        createEntry(file.toLatin1(), kind, text);
    }

    if (QTest::currentTestFailed())
        return;
    QByteArray out, err;
    {
        ConsoleCapture console;
        m_window.reset(new MainWindow);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        out = QByteArray::fromStdString(console.out());
        err = QByteArray::fromStdString(console.err());
    }

    // Each file that cannot be read is named, in the order they are read.
    QByteArray unreadable;
    QStringList names = missing;
    if (text.isEmpty() && !file.isEmpty())
        names << file;
    for (const char* name :
         {"slices.frag", "slices.vert", "fbo.frag", "fbo.vert", "raycast.frag", "raycast.vert"})
        if (names.contains(name))
            unreadable += QByteArray("Could not read shader file: ") + name + "\n";
    m_window->m_glWidget->makeCurrent();
    GLint units = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    QCOMPARE(err, "Texture Units available = " + QByteArray::number(units) + "\n" + unreadable +
                      "OpenGL initialization finished \n");

    // A file that compiles with errors shows the driver's log under its header.
    if (logHeader.isEmpty()) {
        QVERIFY2(!out.contains("compiler_log"), out.constData());
    } else {
        const int at = out.indexOf(logHeader);
        QVERIFY2(at >= 0, out.constData());
        QVERIFY2(out.size() > at + logHeader.size() + 1, out.constData());
        QVERIFY(out.endsWith("\n"));
    }

    // The window still loads a volume and draws both kinds of frame.
    const auto printed = loadEntry("good.dat");
    QVERIFY2(printed.first.startsWith("- Loading file 'dat/good.dat' ... \n- File loaded.\n"),
             printed.first.constData());
    QCOMPARE(m_window->m_glWidget->volume().width, kGoodWidth);
    const bool slicesIntact = !names.contains("slices.frag") && !names.contains("slices.vert") &&
                              file != "slices.frag" && file != "slices.vert";
    // The ray-cast frame first: a pass whose program did not link draws
    // nothing and leaves no GL error behind, so the transfer-function upload
    // that the next frame's click makes still succeeds.
    for (bool slicing : {false, true}) {
        const auto frame = drawFrame(slicing);
        QVERIFY2(!frame.second.contains("Could not"), frame.second.constData());
        QVERIFY2(slicing || frame.first.startsWith("x: 0 y: 0\n"), frame.first.constData());
        if (slicing && slicesIntact) {
            // The slice program is whole: the white middle slice shows.
            QVERIFY2(onlyNoErrorLines(frame.second), frame.second.constData());
            // The toolkit reads the frame back from the buffer it was drawn in.
            const QImage image = m_window->m_glWidget->grabFrameBuffer();
            const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
            QVERIFY2(qRed(centre) > 0 && qGreen(centre) > 0 && qBlue(centre) > 0,
                     qPrintable(QString::number(centre, 16)));
        }
    }
}

QTEST_MAIN(TestHostileInputs)
#include "tst_hostileinputs.moc"
