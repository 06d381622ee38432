// The normalise-and-count pass on several threads gives the bytes, the
// histogram and the per-slice progress of one thread going slice by slice.

#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "volume/sampleconverter.h"
#include "volume/volumeloader.h"
#include "volume/volumewriter.h"

#include <QtTest>

#include <numeric>
#include <thread>

namespace {

// Raw samples with runs of one value and values above the 12 bits.
std::vector<uint16_t> samplesOf(size_t count)
{
    std::vector<uint16_t> samples(count);
    uint32_t state = 12345;
    for (size_t i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        samples[i] = i % 7 < 3 ? uint16_t(state >> 16) : uint16_t(i / 50 % 4096);
    }
    return samples;
}

} // namespace

class TestParallelConversion : public QObject
{
    Q_OBJECT

private slots:
    void everyThreadCountGivesTheSameResult_data()
    {
        QTest::addColumn<int>("sliceSize");
        QTest::addColumn<int>("slices");
        QTest::addColumn<int>("threads");
        QTest::newRow("uneven shares") << 35 << 13 << 3;
        QTest::newRow("more threads than slices") << 6 << 2 << 8;
        QTest::newRow("one slice") << 1 << 1 << 2;
        QTest::newRow("large slices") << 64 * 64 << 40 << 2;
    }

    void everyThreadCountGivesTheSameResult()
    {
        QFETCH(int, sliceSize);
        QFETCH(int, slices);
        QFETCH(int, threads);
        const std::vector<uint16_t> samples = samplesOf(size_t(sliceSize) * slices);
        std::vector<float> expectedVoxels;
        std::array<int32_t, kDensityCount> expectedHistogram{};
        for (uint16_t s : samples) {
            expectedVoxels.push_back(s >= 4095 ? 1.0f : float(double(s) / 4095.0));
            ++expectedHistogram[std::min<size_t>(s, 4095)];
        }

        std::vector<float> voxels(samples.size(), -1.0f);
        std::array<int32_t, kDensityCount> histogram;
        histogram.fill(7); // replaced, not added to
        std::vector<size_t> reported;
        convertSlices(samples.data(), size_t(sliceSize), size_t(slices), voxels.data(), histogram,
                      unsigned(threads), [&](size_t z) { reported.push_back(z); });
        QVERIFY(voxels == expectedVoxels);
        QVERIFY(histogram == expectedHistogram);
        std::vector<size_t> inOrder(static_cast<size_t>(slices));
        std::iota(inOrder.begin(), inOrder.end(), 0);
        QCOMPARE(reported, inOrder);
    }

    void theLoaderPrintsEverySliceInOrderOnEveryCore()
    {
        if (std::thread::hardware_concurrency() < 2)
            QSKIP("one core: the loader converts on one thread");
        TestFolder folder;
        SampleVolume volume(64, 64, 129);
        volume.samples = samplesOf(volume.samples.size()); // enough for a thread per core
        QVERIFY(writeVolumeFile(folder.file("v.dat"), volume));
        ConsoleCapture console;
        VolumeData loaded;
        readVolumeFile("v.dat", loaded);
        std::string expected = "- Loading file 'v.dat' ... \n- File loaded.\n";
        for (int z = 0; z < 129; ++z)
            expected += "\r- Preparing data (" + std::to_string(100 * z / 128) + "%) ...";
        QCOMPARE(console.out(), expected + "\n- Data prepared.\n");
        std::array<int32_t, kDensityCount> histogram{};
        for (uint16_t s : volume.samples)
            ++histogram[std::min<size_t>(s, 4095)];
        QVERIFY(loaded.histogram == histogram);
        QCOMPARE(loaded.voxels.back(),
                 std::min(1.0f, float(double(volume.samples.back()) / 4095.0)));
    }
};

QTEST_MAIN(TestParallelConversion)
#include "tst_parallelconversion.moc"
