// The volume loader: console lines, normalisation, histogram, and what a
// broken or hostile file does to the volume already loaded.

#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "volume/volumeloader.h"

#include <QtTest>

#include <numeric>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<uint16_t> ramp(size_t count, uint16_t first = 0)
{
    std::vector<uint16_t> samples(count);
    std::iota(samples.begin(), samples.end(), first);
    return samples;
}

int64_t histogramTotal(const VolumeData& volume)
{
    return std::accumulate(volume.histogram.begin(), volume.histogram.end(), int64_t(0));
}

// A volume loaded from a 3 x 2 x 2 file of samples 100..111, to check that a
// failed load leaves it alone.
VolumeData loadedReference(const TestFolder& folder)
{
    folder.write("good.dat", volumeFileBytes(3, 2, 2, ramp(12, 100)));
    VolumeData volume;
    ConsoleCapture quiet;
    readVolumeFile(folder.file("good.dat"), volume);
    return volume;
}

void verifyUnchanged(const VolumeData& volume, const VolumeData& reference)
{
    QCOMPARE(volume.width, reference.width);
    QCOMPARE(volume.height, reference.height);
    QCOMPARE(volume.depth, reference.depth);
    QVERIFY(volume.voxels == reference.voxels);
    QVERIFY(volume.histogram == reference.histogram);
}

} // namespace

class TestVolumeLoader : public QObject
{
    Q_OBJECT

private slots:
    void consoleLinesOfASuccessfulLoad_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<QString>("progress");
        QTest::newRow("depth 1") << 1 << "\r- Preparing data (100%) ...";
        QTest::newRow("depth 2") << 2 << "\r- Preparing data (0%) ...\r- Preparing data (100%) ...";
        QTest::newRow("depth 3") << 3
                                 << "\r- Preparing data (0%) ...\r- Preparing data (50%) ..."
                                    "\r- Preparing data (100%) ...";
        QTest::newRow("depth 4") << 4
                                 << "\r- Preparing data (0%) ...\r- Preparing data (33%) ..."
                                    "\r- Preparing data (66%) ...\r- Preparing data (100%) ...";
    }

    void consoleLinesOfASuccessfulLoad()
    {
        QFETCH(int, depth);
        QFETCH(QString, progress);
        TestFolder folder;
        folder.write("v.dat", volumeFileBytes(2, 2, depth, ramp(size_t(4 * depth))));
        VolumeData volume;
        ConsoleCapture console;
        readVolumeFile("v.dat", volume);
        QCOMPARE(QString::fromStdString(console.out()),
                 "- Loading file 'v.dat' ... \n- File loaded.\n" + progress +
                     "\n- Data prepared.\n");
        QCOMPARE(QString::fromStdString(console.err()), QString());
    }

    void samplesAreNormalisedAndCountedInFileOrder()
    {
        // 16 x 16 x 16 holds every density once; 7 samples exercise the tail
        // of the conversion; 4096 and 65535 lie above the 12-bit range.
        TestFolder folder;
        folder.write("all.dat", volumeFileBytes(16, 16, 16, ramp(4096)));
        folder.write("range.dat", volumeFileBytes(7, 1, 1, {0, 2048, 4095, 4096, 65535, 9, 9}));
        VolumeData all, range;
        ConsoleCapture quiet;
        readVolumeFile("all.dat", all);
        readVolumeFile("range.dat", range);
        for (int v = 0; v < kDensityCount; ++v) {
            QCOMPARE(all.voxels[size_t(v)], std::min(float(double(v) / 4095.0), 1.0f));
            QCOMPARE(all.histogram[size_t(v)], 1);
        }
        QCOMPARE(range.voxels, (std::vector<float>{0.0f, float(2048.0 / 4095.0), 1.0f, 1.0f,
                                                   1.0f, float(9.0 / 4095.0),
                                                   float(9.0 / 4095.0)}));
        QCOMPARE(range.histogram[4095], 3); // above the range: the last bin
        QCOMPARE(range.histogram[9], 2);
        QCOMPARE(histogramTotal(range), int64_t(7));
    }

    void aSecondLoadReplacesEverything()
    {
        TestFolder folder;
        folder.write("big.dat", volumeFileBytes(4, 4, 4, std::vector<uint16_t>(64, 4000)));
        folder.write("small.dat", volumeFileBytes(2, 1, 1, {5, 6}));
        VolumeData volume;
        ConsoleCapture quiet;
        readVolumeFile("big.dat", volume);
        const int32_t* histogram = volume.histogram.data();
        readVolumeFile("small.dat", volume);
        QCOMPARE(volume.width, 2);
        QCOMPARE(volume.height, 1);
        QCOMPARE(volume.depth, 1);
        QCOMPARE(volume.voxels.size(), size_t(2));
        QCOMPARE(volume.histogram[4000], 0);
        QCOMPARE(volume.histogram[5], 1);
        QCOMPARE(histogramTotal(volume), int64_t(2));
        QCOMPARE(volume.histogram.data(), histogram);
    }

    void aFileCutShortLoadsTheMissingSamplesAsZero()
    {
        TestFolder folder;
        // 2 x 2 x 2 announced, three samples and one stray byte present.
        QByteArray bytes = volumeFileBytes(2, 2, 2, {4095, 4095, 4095});
        bytes.append('\x7f');
        folder.write("short.dat", bytes);
        VolumeData volume;
        ConsoleCapture console;
        readVolumeFile("short.dat", volume);
        QCOMPARE(volume.voxels.size(), size_t(8));
        QCOMPARE(volume.voxels[2], 1.0f);
        QCOMPARE(volume.voxels[3], 0.0f);
        QCOMPARE(volume.voxels[7], 0.0f);
        QCOMPARE(volume.histogram[0], 5);
        QCOMPARE(volume.histogram[4095], 3);
        QVERIFY(console.out().find("- Data prepared.\n") != std::string::npos);
        QCOMPARE(QString::fromStdString(console.err()), QString());
    }

    void aRefusedFileLeavesTheVolumeAlone_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        const QString shortHeader =
            "+ Error loading file: the file is shorter than its 6-byte header.\n\n";
        QTest::newRow("empty") << QByteArray() << shortHeader;
        QTest::newRow("1 byte") << QByteArray(1, '\x01') << shortHeader;
        QTest::newRow("5 bytes") << QByteArray(5, '\x01') << shortHeader;
        QTest::newRow("zero width") << volumeFileBytes(0, 5, 5, {}) << QString(
            "+ Error loading file: the volume 0 x 5 x 5 has no samples.\n\n");
        QTest::newRow("zero depth") << volumeFileBytes(4, 4, 0, ramp(16)) << QString(
            "+ Error loading file: the volume 4 x 4 x 0 has no samples.\n\n");
        QTest::newRow("giant") << volumeFileBytes(65535, 65535, 65535, {}) << QString(
            "+ Error loading file: a volume of 65535 x 65535 x 65535 samples does not fit in "
            "memory.\n\n");
        // 2^31 samples: over the 32-bit counts, whatever the machine's memory.
        QTest::newRow("2^31 samples") << volumeFileBytes(32768, 32768, 2, {}) << QString(
            "+ Error loading file: a volume of 32768 x 32768 x 2 samples does not fit in "
            "memory.\n\n");
    }

    void aRefusedFileLeavesTheVolumeAlone()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        TestFolder folder;
        VolumeData volume = loadedReference(folder);
        const VolumeData reference = volume;
        folder.write("bad.dat", bytes);
        ConsoleCapture console;
        readVolumeFile("bad.dat", volume);
        QCOMPARE(QString::fromStdString(console.out()), QString("- Loading file 'bad.dat' ... \n"));
        QCOMPARE(QString::fromStdString(console.err()), error);
        verifyUnchanged(volume, reference);
    }

    void aVolumeOverTheMemoryBudgetIsRefused()
    {
        TestFolder folder;
        VolumeData volume = loadedReference(folder);
        const VolumeData reference = volume;
        folder.write("ten.dat", volumeFileBytes(10, 1, 1, ramp(10)));
        ConsoleCapture console;
        readVolumeFile("ten.dat", volume, 10 * kLoadBytesPerSample - 1);
        QCOMPARE(QString::fromStdString(console.err()),
                 QString("+ Error loading file: a volume of 10 x 1 x 1 samples does not fit in "
                         "memory.\n\n"));
        verifyUnchanged(volume, reference);
        readVolumeFile("ten.dat", volume, 10 * kLoadBytesPerSample);
        QCOMPARE(volume.width, 10);
    }

    void aPathThatCannotBeReadLeavesTheVolumeAlone_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "missing.dat";
        QTest::newRow("folder") << "folder.dat";
        QTest::newRow("pipe") << "pipe.dat";
        QTest::newRow("symlink loop") << "loop.dat";
        QTest::newRow("no permission") << "secret.dat";
    }

    void aPathThatCannotBeReadLeavesTheVolumeAlone()
    {
        QFETCH(QString, name);
        TestFolder folder;
        VolumeData volume = loadedReference(folder);
        const VolumeData reference = volume;
        QVERIFY(mkdir("folder.dat", 0755) == 0);
        QVERIFY(mkfifo("pipe.dat", 0644) == 0); // would block a plain open for ever
        QVERIFY(symlink("loop.dat", "loop.dat") == 0);
        folder.write("secret.dat", volumeFileBytes(1, 1, 1, {1}));
        QVERIFY(chmod("secret.dat", 0) == 0);
        if (name == "secret.dat" && geteuid() == 0)
            QSKIP("root reads files without permission");

        const std::string path = name.toStdString();
        ConsoleCapture console;
        readVolumeFile(path, volume);
        QCOMPARE(console.out(), "- Loading file '" + path + "' ... \n");
        QCOMPARE(console.err(), std::string("+ Error loading file.\n\n"));
        verifyUnchanged(volume, reference);
    }
};

QTEST_GUILESS_MAIN(TestVolumeLoader)
#include "tst_volumeloader.moc"
