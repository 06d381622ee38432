// The volume loader: console lines, normalisation, histogram, and what a
// broken or hostile file does to the volume already loaded.

#include "platform/systemmemory.h"
#include "tests/support/consolecapture.h"
#include "tests/support/expectedvolume.h"
#include "tests/support/testfolder.h"
#include "volume/sampleconverter.h"
#include "volume/volumeloader.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <numeric>

namespace {

std::vector<uint16_t> ramp(size_t count, uint16_t first = 0)
{
    std::vector<uint16_t> samples(count);
    std::iota(samples.begin(), samples.end(), first);
    return samples;
}

// Loads `bytes` from a file into `volume`; returns what the load printed on both streams.
std::string load(const QByteArray& bytes, VolumeData& volume,
                 uint64_t budget = defaultVolumeMemoryBudget())
{
    TestFolder folder;
    folder.write("v.dat", bytes);
    ConsoleCapture console;
    readVolumeFile("v.dat", volume, budget);
    return console.out() + console.err();
}

// Runs of one value among values above the 12 bits, without a pattern.
std::vector<uint16_t> noise(size_t count)
{
    std::vector<uint16_t> samples(count);
    uint32_t state = 12345;
    for (size_t i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        samples[i] = i % 7 < 3 ? uint16_t(state >> 16) : uint16_t(i / 50 % 4096);
    }
    return samples;
}

const std::string kLoading = "- Loading file 'v.dat' ... \n";
constexpr uint64_t kBytesPerSample = sizeof(float) + sizeof(uint16_t); // voxels and samples

} // namespace

class TestVolumeLoader : public QObject
{
    Q_OBJECT

private slots:
    // Every density once, values above 4095 and an odd count, a file cut
    // short in its samples: the volume the format describes, worked out
    // independently, with a progress line per slice.
    void loads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("progress");
        QTest::newRow("every density, depth 16")
            << volumeFileBytes(16, 16, 16, ramp(4096)) << "0 6 13 20 26 33 40 46 53 60 66 73 80 86 93 100";
        QTest::newRow("above 4095, odd count, depth 1")
            << volumeFileBytes(7, 1, 1, {0, 2048, 4095, 4096, 65535, 9, 9}) << "100";
        QTest::newRow("cut short, depth 2")
            << volumeFileBytes(2, 2, 2, {4095, 4095, 4095}).append('\x7f') << "0 100";
        QStringList every; // large enough for a thread on each of two cores
        for (int z = 0; z < 130; ++z)
            every << QString::number(100 * z / 129);
        QTest::newRow("on every core, depth 130")
            << volumeFileBytes(64, 64, 130, noise(64 * 64 * 130)) << every.join(' ');
    }

    // The pass on any number of threads: the bytes and counts of the format,
    // each slice reported once, in order.
    void convertsOnThreads_data()
    {
        QTest::addColumn<int>("sliceSize");
        QTest::addColumn<int>("slices");
        QTest::addColumn<int>("threads");
        QTest::newRow("uneven shares") << 35 << 13 << 3;
        QTest::newRow("more threads than slices") << 6 << 2 << 8;
        QTest::newRow("large slices") << 64 * 64 << 40 << 2;
    }

    void convertsOnThreads()
    {
        QFETCH(int, sliceSize);
        QFETCH(int, slices);
        QFETCH(int, threads);
        const std::vector<uint16_t> samples = noise(size_t(sliceSize) * slices);
        VolumeData volume;
        volume.voxels.assign(samples.size(), -1.0f);
        volume.histogram.fill(7); // replaced, not added to
        QString reported;
        convertSlices(samples.data(), size_t(sliceSize), size_t(slices), volume.voxels.data(),
                      volume.histogram, unsigned(threads),
                      [&](size_t z) { reported += QString::number(z) + ' '; });
        const VolumeData expected = expectedVolume(volumeFileBytes(sliceSize, slices, 1, samples));
        QVERIFY(volume.voxels == expected.voxels && volume.histogram == expected.histogram);
        QString inOrder;
        for (int z = 0; z < slices; ++z)
            inOrder += QString::number(z) + ' ';
        QCOMPARE(reported, inOrder);
    }

    void loads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, progress);
        VolumeData volume;
        std::string lines = kLoading + "- File loaded.\n";
        for (const QString& percent : progress.split(' '))
            lines += "\r- Preparing data (" + percent.toStdString() + "%) ...";
        QCOMPARE(load(bytes, volume), lines + "\n- Data prepared.\n");
        QVERIFY(sameVolume(volume, expectedVolume(bytes)));
    }

    void aSecondLoadReplacesEverythingInPlace()
    {
        VolumeData volume;
        load(volumeFileBytes(4, 4, 4, std::vector<uint16_t>(64, 4000)), volume);
        const int32_t* histogram = volume.histogram.data();
        const QByteArray small = volumeFileBytes(2, 1, 1, {5, 6});
        load(small, volume);
        QVERIFY(sameVolume(volume, expectedVolume(small)));
        QCOMPARE(volume.histogram.data(), histogram);
    }

    void aRefusedFileLeavesTheVolumeAlone_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // the file, or "->target" for a symbolic link
        QTest::addColumn<int>("kind");         // S_IFREG, S_IFDIR, S_IFIFO, or 0: no permission
        QTest::addColumn<QString>("error");
        const QString shortHeader = "the file is shorter than its 6-byte header.";
        const QString tooLarge = "a volume of %1 samples does not fit in memory.";
        for (int size : {0, 1, 5})
            QTest::addRow("%d bytes", size) << QByteArray(size, '\x01') << S_IFREG << shortHeader;
        QTest::newRow("zero width") << volumeFileBytes(0, 5, 5, {}) << S_IFREG
                                    << "the volume 0 x 5 x 5 has no samples.";
        QTest::newRow("zero depth") << volumeFileBytes(4, 4, 0, ramp(16)) << S_IFREG
                                    << "the volume 4 x 4 x 0 has no samples.";
        QTest::newRow("giant") << volumeFileBytes(65535, 65535, 65535, {}) << S_IFREG
                               << tooLarge.arg("65535 x 65535 x 65535");
        // 2^31 samples: over the 32-bit counts, whatever the machine's memory.
        QTest::newRow("2^31 samples") << volumeFileBytes(32768, 32768, 2, {}) << S_IFREG
                                      << tooLarge.arg("32768 x 32768 x 2");
        QTest::newRow("dangling link") << QByteArray("->nowhere/none.dat") << S_IFLNK << "";
        QTest::newRow("folder") << QByteArray() << S_IFDIR << "";
        QTest::newRow("named pipe") << QByteArray() << S_IFIFO << ""; // a plain open would block
        QTest::newRow("symlink loop") << QByteArray("->v.dat") << S_IFLNK << "";
        QTest::newRow("link to a device") << QByteArray("->/dev/zero") << S_IFLNK << "";
        QTest::newRow("no permission") << volumeFileBytes(1, 1, 1, {1}) << 0 << "";
    }

    void aRefusedFileLeavesTheVolumeAlone()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        QFETCH(QString, error);
        if (kind == 0 && geteuid() == 0)
            QSKIP("root reads files without permission");
        TestFolder folder;
        VolumeData volume;
        load(volumeFileBytes(3, 2, 2, ramp(12, 100)), volume);
        const VolumeData before = volume;
        if (kind == S_IFREG || kind == 0)
            folder.write("v.dat", bytes);
        QVERIFY(kind != 0 || chmod("v.dat", 0) == 0);
        QVERIFY(kind != S_IFDIR || mkdir("v.dat", 0755) == 0);
        QVERIFY(kind != S_IFIFO || mkfifo("v.dat", 0644) == 0);
        QVERIFY(kind != S_IFLNK || symlink(bytes.mid(2).constData(), "v.dat") == 0);
        ConsoleCapture console;
        readVolumeFile("v.dat", volume);
        QCOMPARE(console.out(), kLoading);
        QCOMPARE(QString::fromStdString(console.err()),
                 "+ Error loading file" + (error.isEmpty() ? "." : ": " + error) + "\n\n");
        QVERIFY(sameVolume(volume, before));
    }

    // The budget is exact; a header beyond it is refused from its numbers
    // alone: the peak resident size does not grow while the loader turns it down.
    void theMemoryBudget()
    {
        VolumeData volume;
        const QByteArray ten = volumeFileBytes(10, 1, 1, ramp(10));
        QCOMPARE(load(ten, volume, 10 * kBytesPerSample - 1),
                 kLoading + "+ Error loading file: a volume of 10 x 1 x 1 samples does not fit "
                            "in memory.\n\n");
        load(ten, volume, 10 * kBytesPerSample);
        QCOMPARE(volume.width, 10);

        TestFolder folder;
        folder.write("giant.dat", volumeFileBytes(65535, 65535, 65535, {1, 2, 3}));
        // Every sample is there: a loader that read before it checked would hold 50 MB.
        folder.write("large.dat",
                     volumeFileBytes(256, 256, 129, std::vector<uint16_t>(256 * 256 * 129, 900)));
        for (const uint64_t budget : {uint64_t(0), uint64_t(48) << 20}) {
            ConsoleCapture console;
            console::err() << std::string(4096, ' '); // the buffers grow before the measurement
            console.clear();
            if (peakResidentBytes() < 0 || !resetPeakResidentBytes())
                QSKIP("the peak resident size cannot be reset here");
            const int64_t before = peakResidentBytes();
            budget ? readVolumeFile("large.dat", volume, budget)
                   : readVolumeFile("giant.dat", volume);
            const int64_t growth = peakResidentBytes() - before;
            QVERIFY(console.err().find("does not fit in memory") != std::string::npos);
            QVERIFY2(growth < 512 * 1024, qPrintable(QString("the peak grew by %1").arg(growth)));
        }
    }
};

QTEST_GUILESS_MAIN(TestVolumeLoader)
#include "tst_volumeloader.moc"
