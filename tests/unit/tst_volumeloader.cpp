// The volume loader: console lines, normalisation, histogram, and what a
// broken or hostile file does to the volume already loaded.

#include "platform/sliceworkers.h"
#include "platform/systemmemory.h"
#include "tests/support/consolecapture.h"
#include "tests/support/expectedvolume.h"
#include "tests/support/testfolder.h"
#include "volume/reducedlevel.h"
#include "volume/sampleconverter.h"
#include "volume/volumeloader.h"

#include <QtTest>

#include <atomic>
#include <thread>

namespace {

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
    // A volume large enough for a thread on each of two cores: the volume
    // the format describes, worked out independently, with a progress line
    // per slice, in order.
    void loadsOnEveryCore()
    {
        const QByteArray bytes = volumeFileBytes(64, 64, 130, noise(64 * 64 * 130));
        std::string lines = kLoading + "- File loaded.\n";
        for (int z = 0; z < 130; ++z)
            lines += "\r- Preparing data (" + std::to_string(100 * z / 129) + "%) ...";
        VolumeData volume;
        QCOMPARE(load(bytes, volume), lines + "\n- Data prepared.\n");
        QVERIFY(sameVolume(volume, expectedVolume(bytes)));
    }

    // The pass on any number of threads: the bytes and counts of the format.
    void convertsOnThreads_data()
    {
        QTest::addColumn<int>("sliceSize");
        QTest::addColumn<int>("slices");
        QTest::addColumn<int>("threads");
        QTest::newRow("uneven shares") << 35 << 13 << 3;
        QTest::newRow("more threads than slices") << 6 << 2 << 8;
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
        convertSlices(samples.data(), size_t(sliceSize), size_t(slices), volume.voxels.data(),
                      volume.histogram, unsigned(threads), {});
        const VolumeData expected = expectedVolume(volumeFileBytes(sliceSize, slices, 1, samples));
        QVERIFY(volume.voxels == expected.voxels && volume.histogram == expected.histogram);
    }

    // Two helpers still busy with a slice each when the calling thread has run
    // out of slices: every slice is reported all the same, once, in order, on the
    // calling thread, and only once it and all before it are done.
    void slicesOfOtherThreadsAreReported()
    {
        constexpr size_t kSlices = 8;
        std::array<std::atomic<bool>, kSlices> done{};
        std::atomic<int> helpersBusy{0};
        std::string reported;
        bool reportedWhenDone = true;
        const std::thread::id caller = std::this_thread::get_id();
        forEachSlice(
            kSlices, 3,
            [&](size_t z, unsigned worker) {
                const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
                while (worker == 0 && helpersBusy < 2 && std::chrono::steady_clock::now() < until)
                    std::this_thread::yield();
                if (worker != 0 && ++helpersBusy <= 2)
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                done[z] = true;
            },
            [&](size_t z) {
                reported += std::to_string(z) + ' ';
                reportedWhenDone &=
                    std::this_thread::get_id() == caller &&
                    std::all_of(done.begin(), done.begin() + z + 1,
                                [](const std::atomic<bool>& d) { return d.load(); });
            });
        QCOMPARE(reported, std::string("0 1 2 3 4 5 6 7 "));
        QVERIFY(reportedWhenDone);
    }

    // A volume beyond the budget, or one the caller cannot show whole, loads
    // at the finest reduced level that fits, each voxel the mean of its block
    // (cut short at the far edges), with the histogram of every sample, while
    // the memory stays within the budget; too small a budget even for the
    // coarsest level is refused as before. A region reads the file's voxels.
    void aVolumeTooLargeLoadsAtAReducedLevel()
    {
        constexpr int kWidth = 201, kHeight = 200, kDepth = 199;
        std::vector<uint16_t> samples(size_t(kWidth) * kHeight * kDepth);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = uint16_t(i * 7919 % 5003); // values above 4095 among them
        const QByteArray bytes = volumeFileBytes(kWidth, kHeight, kDepth, samples);
        const uint64_t whole = samples.size() * kBytesPerSample;

        VolumeData volume;
        if (peakResidentBytes() < 0 || !resetPeakResidentBytes())
            QSKIP("the peak resident size cannot be reset here");
        const int64_t before = peakResidentBytes();
        std::string lines = kLoading + "- Resolution 1/2: 101 x 100 x 100 of 201 x 200 x 199\n";
        for (int z = 0; z < 100; ++z)
            lines += "\r- Preparing data (" + std::to_string(100 * z / 99) + "%) ...";
        QCOMPARE(load(bytes, volume, whole / 4), lines + "\n- File loaded.\n- Data prepared.\n");
        QVERIFY2(peakResidentBytes() - before < int64_t(whole / 4),
                 qPrintable(QString("the peak grew by %1").arg(peakResidentBytes() - before)));
        QVERIFY(sameVolume(volume, expectedLevel(bytes, 2)));

        load(bytes, volume, whole / 40);
        QVERIFY(sameVolume(volume, expectedLevel(bytes, 4)));
        const QByteArray shortFile =
            bytes.left(6 + 2 * (kWidth * kHeight * 50 + 77) + 1); // half a sample
        load(shortFile, volume, whole / 4);
        QVERIFY(sameVolume(volume, expectedLevel(shortFile, 2)));
        QVERIFY(
            load(bytes, volume, 1000)
                .find("+ Error loading file: a volume of 201 x 200 x 199 samples does not fit in "
                      "memory.") != std::string::npos);
        QVERIFY(sameVolume(volume, expectedLevel(shortFile, 2)));

        TestFolder folder;
        folder.write("v.dat", bytes);
        ConsoleCapture console;
        readVolumeFile("v.dat", volume, whole, [](uint32_t width, uint32_t, uint32_t) {
            return width > 150 ? std::string("too wide") : std::string();
        });
        QVERIFY(sameVolume(volume, expectedLevel(bytes, 2)));

        const VolumeData file = expectedVolume(bytes);
        VolumeData region = volume;
        QCOMPARE(readFileRegion("v.dat", {{3, 190, 5}}, {{200, 199, 60}}, whole, region),
                 std::string());
        QCOMPARE(QVector<int>({region.width, region.height, region.depth}),
                 QVector<int>({198, 10, 56}));
        for (int z = 0; z < 56; ++z)
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 198; ++x)
                    QCOMPARE(region.voxels[size_t(x + 198 * (y + 10 * z))],
                             file.voxels[size_t(3 + x + kWidth * (190 + y + kHeight * (5 + z)))]);
        QVERIFY(region.histogram == volume.histogram);
        QCOMPARE(region.level.fileVoxel({{0, 9, 55}}), (std::array<int, 3>{{3, 199, 60}}));
        QCOMPARE(readFileRegion("v.dat", {{3, 190, 5}}, {{201, 199, 60}}, whole, region),
                 std::string("the region lies outside the volume"));
    }

    // The budget is exact; a header beyond it is refused from its numbers
    // alone: the peak resident size does not grow while the loader turns it down,
    // and the volume shown keeps its samples, histogram and extents.
    void theMemoryBudget()
    {
        VolumeData volume;
        const QByteArray shown = volumeFileBytes(3, 2, 1, {4095, 0, 7, 7, 1, 2});
        const QByteArray ten = volumeFileBytes(10, 1, 1, std::vector<uint16_t>(10, 5));
        load(shown, volume);
        QCOMPARE(load(ten, volume, 10 * kBytesPerSample - 1),
                 kLoading + "+ Error loading file: a volume of 10 x 1 x 1 samples does not fit "
                            "in memory.\n\n");
        QVERIFY(sameVolume(volume, expectedVolume(shown)));
        load(ten, volume, 10 * kBytesPerSample);
        QVERIFY(sameVolume(volume, expectedVolume(ten)));

        TestFolder folder;
        folder.write("giant.dat", volumeFileBytes(65535, 65535, 65535, {1, 2, 3}));
        // Every sample is there: a loader that read before it checked would hold 50 MB.
        folder.write("large.dat",
                     volumeFileBytes(256, 256, 129, std::vector<uint16_t>(256 * 256 * 129, 900)));
        // Budgets too small even for their coarsest levels (1/64 and 1/16).
        for (const uint64_t budget : {uint64_t(0), uint64_t(8) << 10}) {
            ConsoleCapture console;
            console::err() << std::string(4096, ' '); // the buffers grow before the measurement
            console.clear();
            if (peakResidentBytes() < 0 || !resetPeakResidentBytes())
                QSKIP("the peak resident size cannot be reset here");
            const int64_t before = peakResidentBytes();
            budget ? readVolumeFile("large.dat", volume, budget)
                   : readVolumeFile("giant.dat", volume, 1 << 20);
            const int64_t growth = peakResidentBytes() - before;
            QVERIFY(console.err().find("does not fit in memory") != std::string::npos);
            QVERIFY2(growth < 512 * 1024, qPrintable(QString("the peak grew by %1").arg(growth)));
            QVERIFY(sameVolume(volume, expectedVolume(ten)));
        }
    }
};

QTEST_GUILESS_MAIN(TestVolumeLoader)
#include "tst_volumeloader.moc"
