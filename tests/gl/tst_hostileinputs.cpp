// Hostile entries of the data folder, loaded as the user loads them (a click
// on the list, then "Datei Laden"). The name reaches the loader byte for
// byte; a refused entry leaves the volume, its histogram and its texture as
// they were; a volume that loads replaces all three, unless the GL cannot
// hold it; and the view still draws both kinds of frame afterwards. (Every
// kind of refusal is checked line by line in the loader's own test.)

#include "app/mainwindow.h"
#include "tests/support/consolecapture.h"
#include "tests/support/expectedvolume.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "tests/support/uidriver.h"

#include <QtTest>

#include <sys/stat.h>

#include <memory>

namespace {

// The volume loaded first: many densities, tall enough for the view to draw.
QByteArray goodVolumeBytes()
{
    std::vector<uint16_t> samples(12 * 10 * 8);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = uint16_t((i * 37 + 5) % 4096);
    return volumeFileBytes(12, 10, 8, samples);
}

// Standard output of a load from `path`: the loader's lines (only the first
// where it refuses the file), then the upload of the volume on screen.
std::string loadLines(const std::string& path, const VolumeData& shown, bool loaded)
{
    std::string text = "- Loading file '" + path + "' ... \n";
    if (loaded) {
        text += "- File loaded.\n";
        for (int z = 0, d = shown.depth; z < d; ++z)
            text += "\r- Preparing data (" + std::to_string(d > 1 ? 100 * z / (d - 1) : 100) +
                    "%) ...";
        text += "\n- Data prepared.\n";
    }
    return text + "####################################\nWidth: " + std::to_string(shown.width) +
           "\nHeight: " + std::to_string(shown.height) + "\nDepth: " +
           std::to_string(shown.depth) + "\n";
}

// The texture holds the volume's voxels, to the precision of its 16-bit texels.
bool textureHolds(const VolumeTexture& texture, const VolumeData& volume)
{
    const auto near = [](float a, float b) { return std::fabs(a - b) <= 1.0f / 65535.0f; };
    return texture.size == std::vector<int>{volume.width, volume.height, volume.depth} &&
           std::equal(volume.voxels.begin(), volume.voxels.end(), texture.texels.begin(), near);
}

} // namespace

class TestHostileInputs : public QObject
{
    Q_OBJECT

private slots:
    void hostileEntry_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("bytes"); // "folder" makes a folder; "wide" a too wide volume
        QTest::addColumn<QByteArray>("error");
        const QByteArray shortFile =
            "+ Error loading file: the file is shorter than its 6-byte header.\n\n";
        std::vector<uint16_t> samples(20);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = uint16_t(100 * i + 7);
        const uint16_t high[] = {4096, 65535, 4095, 0, 8191, 12, 32768, 4094};
        std::vector<uint16_t> highSamples(20);
        for (size_t i = 0; i < highSamples.size(); ++i)
            highSamples[i] = high[i % 8];

        QTest::newRow("5 bytes") << QByteArray("short.dat") << QByteArray(5, '\x01') << shortFile;
        QTest::newRow("quote, control and undecodable bytes in a name")
            << QByteArray("it's \x01\xff\xfe.dat") << QByteArray(3, '\x02') << shortFile;
        QTest::newRow("giant extents in a tiny file")
            << QByteArray("giant.dat") << volumeFileBytes(65535, 65535, 65535, {4095, 4095})
            << QByteArray("+ Error loading file: a volume of 65535 x 65535 x 65535 samples does "
                          "not fit in memory.\n\n");
        QTest::newRow("folder") << QByteArray("x.dat") << QByteArray("folder")
                                << QByteArray("+ Error loading file.\n\n");
        QTest::newRow("truncated samples")
            << QByteArray("cut.dat") << volumeFileBytes(11, 12, 3, samples).append(char(0x55))
            << QByteArray();
        QTest::newRow("samples above 4095") << QByteArray("high.dat")
                                            << volumeFileBytes(2, 10, 1, highSamples) << QByteArray();
        QTest::newRow("Latin-1 name") << QByteArray("gr\xfc\xdf\xe9 K\xf6pfe.dat")
                                      << volumeFileBytes(3, 10, 2, std::vector<uint16_t>(60, 900))
                                      << QByteArray();
        QTest::newRow("UTF-8 name") << QByteArray("\xc3\xa9t\xc3\xa9 \xe2\x82\xac.dat")
                                    << volumeFileBytes(2, 11, 1, std::vector<uint16_t>(22, 3000))
                                    << QByteArray();
        // Loads into the record, but its upload fails: the texture keeps the volume before.
        QTest::newRow("wider than the GL's 3D textures")
            << QByteArray("wide.dat") << QByteArray("wide")
            << QByteArray("Could not upload texture: invalid value\n");
    }

    void hostileEntry()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, error);
        TestFolder folder(TestFolder::WithShaders);
        folder.write("dat/good.dat", goodVolumeBytes());
        ConsoleCapture console;
        if (bytes == "wide") {
            TestView probe(10, 10); // the GL's limit needs a context
            GLint limit = 0;
            glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &limit);
            if (limit >= 65535)
                QSKIP("the GL takes 3D textures as wide as any volume");
            bytes = volumeFileBytes(limit + 1, 10, 1, std::vector<uint16_t>((limit + 1) * 10, 9));
        }
        const std::string path = "dat/" + name.toStdString();
        if (bytes == "folder")
            QCOMPARE(mkdir(path.c_str(), 0755), 0);
        else
            folder.write(path, bytes);
        MainWindow window;
        QVERIFY(ui::show(window));
        GLWidget* view = window.m_glWidget;

        const VolumeData good = expectedVolume(goodVolumeBytes());
        QVERIFY(ui::load(window, "good.dat"));
        const VolumeTexture goodTexture = readVolumeTexture(view->volumeTexture());
        QVERIFY(textureHolds(goodTexture, good));
        const int32_t* counts = window.m_graphic_view->m_histogram;

        console.clear();
        QVERIFY(ui::load(window, QString::fromLatin1(name)));
        const bool loads = !error.startsWith("+ ");
        const VolumeData expected = loads ? expectedVolume(bytes) : good;
        QCOMPARE(console.out(), loadLines(path, expected, loads));
        QCOMPARE(QByteArray::fromStdString(console.err()), error);
        QVERIFY(sameVolume(view->volume(), expected));
        const VolumeTexture texture = readVolumeTexture(view->volumeTexture());
        QVERIFY(error.isEmpty() ? textureHolds(texture, expected) : texture == goodTexture);
        QCOMPARE(window.m_graphic_view->m_histogram, counts);
        QCOMPARE(counts, view->volume().histogram.data());

        // Both kinds of frame still draw, and report only steps without error.
        setTransfer(*view, {{0, Qt::white}, {4095, Qt::white}});
        for (bool slicing : {false, true}) {
            view->setSlicing(slicing);
            console.clear();
            view->updateGL();
            QVERIFY2(QRegularExpression("\\A([^\n]+: no error\n)+\\z")
                         .match(QString::fromStdString(console.err()))
                         .hasMatch(),
                     console.err().c_str());
        }
    }
};

QTEST_MAIN(TestHostileInputs)
#include "tst_hostileinputs.moc"
