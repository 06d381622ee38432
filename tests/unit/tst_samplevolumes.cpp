// The sample volumes: the bytes of the volume file writer, the phantoms'
// densities, anatomy and determinism, the loader reading a generated head,
// and the kastra-make-volumes program writing and skipping files.

#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tools/phantoms.h"
#include "tools/samplevolumes.h"
#include "volume/volumeloader.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <array>
#include <numeric>

namespace {

using Histogram = std::array<int64_t, 4096>;

QByteArray fileBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Counts of the raw values; values above 4095 land in the last bin, where a
// test on the maximum catches them.
Histogram histogramOf(const SampleVolume& volume)
{
    Histogram counts{};
    for (uint16_t sample : volume.samples)
        ++counts[std::min<size_t>(sample, 4095)];
    return counts;
}

double share(const Histogram& counts, int low, int end)
{
    const int64_t total = std::accumulate(counts.begin(), counts.end(), int64_t(0));
    return double(std::accumulate(counts.begin() + low, counts.begin() + end, int64_t(0))) /
           double(total);
}

// Whether the histogram, smoothed over 9 bins, has a peak in low..high: a bin
// at least as high as every bin within 6 of it.
bool hasPeak(const Histogram& counts, int low, int high)
{
    const auto smoothed = [&counts](int bin) {
        int64_t sum = 0;
        for (int i = std::max(bin - 4, 0); i <= std::min(bin + 4, 4095); ++i)
            sum += counts[size_t(i)];
        return sum;
    };
    for (int bin = low; bin <= high; ++bin) {
        bool peak = smoothed(bin) > 0;
        for (int i = std::max(bin - 6, 0); peak && i <= std::min(bin + 6, 4095); ++i)
            peak = smoothed(i) <= smoothed(bin);
        if (peak)
            return true;
    }
    return false;
}

// The voxel index nearest to normalised coordinate u across or along a head
// slice of n voxels (-1 and +1 are the outer faces of the end voxels).
int voxelAt(float u, int n)
{
    return int(std::lround((u + 1.0f) * 0.5f * float(n) - 0.5f));
}

enum Material { Air, Tissue, Bone };

Material classify(uint16_t sample)
{
    return sample < 500 ? Air : sample < 1500 ? Tissue : Bone;
}

// The materials met along a line of samples, each run of one material once.
// A run of a single sample is skipped: the blurred edge between air and bone
// passes through tissue densities.
std::vector<Material> runs(const std::vector<uint16_t>& line)
{
    std::vector<Material> materials;
    for (size_t i = 0; i < line.size();) {
        const Material material = classify(line[i]);
        size_t end = i + 1;
        while (end < line.size() && classify(line[end]) == material)
            ++end;
        if (end - i > 1 && (materials.empty() || materials.back() != material))
            materials.push_back(material);
        i = end;
    }
    return materials;
}

// Voxels from the first non-air sample of a line to the first bone after it.
int tissueBeforeBone(const std::vector<uint16_t>& line)
{
    const auto surface =
        std::find_if(line.begin(), line.end(), [](uint16_t s) { return classify(s) != Air; });
    const auto bone =
        std::find_if(surface, line.end(), [](uint16_t s) { return classify(s) == Bone; });
    return int(bone - surface);
}

int runGenerator(const QStringList& arguments, QByteArray* out, QByteArray* err)
{
    QProcess process;
    process.start(QStringLiteral(KASTRA_MAKE_VOLUMES), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    *out = process.readAllStandardOutput();
    *err = process.readAllStandardError();
    return process.exitCode();
}

} // namespace

class TestSampleVolumes : public QObject
{
    Q_OBJECT

private slots:
    void writerStoresHeaderThenLittleEndianSamples()
    {
        TestFolder folder;
        SampleVolume volume(3, 2, 2);
        const std::vector<uint16_t> samples = {0x0102, 0x0ffe, 4095, 0, 1, 2,
                                               3,      4,      5,    6, 7, 0x0a0b};
        volume.samples = samples;
        QVERIFY(writeVolumeFile(folder.file("small.dat"), volume));
        const QByteArray bytes = fileBytes(folder.file("small.dat"));
        QCOMPARE(bytes.size(), 6 + 2 * 12);
        QCOMPARE(bytes.left(14), QByteArray("\x03\x00\x02\x00\x02\x00"
                                            "\x02\x01\xfe\x0f\xff\x0f\x00\x00",
                                            14));
        QCOMPARE(bytes, volumeFileBytes(3, 2, 2, samples));
        QCOMPARE(uint64_t(bytes.size()), volumeFileSize(3, 2, 2));

        // Extents above 255 need the high byte of the header.
        QVERIFY(writeVolumeFile(folder.file("wide.dat"), SampleVolume(300, 1, 2, 7)));
        const QByteArray wide = fileBytes(folder.file("wide.dat"));
        QCOMPARE(wide.left(8), QByteArray("\x2c\x01\x01\x00\x02\x00\x07\x00", 8));
        QCOMPARE(uint64_t(wide.size()), volumeFileSize(300, 1, 2));
    }

    void writerRefusesWhatTheFileCannotDescribe()
    {
        TestFolder folder;
        SampleVolume shortOfSamples(4, 4, 4);
        shortOfSamples.samples.pop_back();
        QVERIFY(!writeVolumeFile(folder.file("short.dat"), shortOfSamples));
        QVERIFY(!QFile::exists(QString::fromStdString(folder.file("short.dat"))));

        SampleVolume tooWide(70000, 1, 1);
        QVERIFY(!writeVolumeFile(folder.file("wide.dat"), tooWide));
        QVERIFY(!QFile::exists(QString::fromStdString(folder.file("wide.dat"))));

        QVERIFY(!writeVolumeFile(folder.file("missing/folder/v.dat"), SampleVolume(2, 2, 2)));
    }

    void headSpreadsOverTheDensityRange()
    {
        const SampleVolume head = makeHeadPhantom();
        QCOMPARE(head.width, 256);
        QCOMPARE(head.height, 256);
        QCOMPARE(head.depth, 113);
        QCOMPARE(head.samples.size(), size_t(256 * 256 * 113));
        QVERIFY(*std::max_element(head.samples.begin(), head.samples.end()) <= 4095);

        const Histogram counts = histogramOf(head);
        QVERIFY2(share(counts, 0, 200) > 0.5, "air around the head");
        QVERIFY2(share(counts, 900, 1200) > 0.15, "skin, soft tissue, brain");
        QVERIFY2(share(counts, 1700, 3000) > 0.03, "bone");
        // The burr-hole plate and its screws: metal, saturating.
        QVERIFY2(std::accumulate(counts.begin() + 3300, counts.end(), int64_t(0)) > 400, "metal");
        QVERIFY2(counts[4095] > 200, "metal saturates");
        // Distinct peaks: air, CSF, white matter, grey matter, skin, the
        // spongy bone of the skull, its dense tables and the metal.
        QVERIFY(hasPeak(counts, 0, 20));
        QVERIFY(hasPeak(counts, 1005, 1020));
        QVERIFY(hasPeak(counts, 1040, 1054));
        QVERIFY(hasPeak(counts, 1078, 1092));
        QVERIFY(hasPeak(counts, 1102, 1118));
        QVERIFY(share(counts, 1850, 1950) > 3 * share(counts, 1600, 1700));
        QVERIFY(hasPeak(counts, 2500, 2700));
        QVERIFY(hasPeak(counts, 4085, 4095));
    }

    void headIsABrainScanInCubicVoxels()
    {
        const SampleVolume head = makeHeadPhantom();
        const int top = 112, middle = 56, centre = voxelAt(0.0f, 256);
        // The stack begins above the crown: its top slice is air nearly
        // everywhere.
        int air = 0;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                air += classify(head.at(x, y, top)) == Air;
        QVERIFY2(air > 0.95 * 256 * 256, qPrintable(QString::number(air)));

        // Down the middle from the top slice: scalp, skull, then the brain
        // and nothing denser for the upper half of the stack.
        const int y = voxelAt(0.05f, 256);
        std::vector<uint16_t> down;
        for (int z = top; z >= middle; --z)
            down.push_back(head.at(centre, y, z));
        QCOMPARE(runs(down), (std::vector<Material>{Air, Tissue, Bone, Tissue}));

        // The crown is round, not flattened: 0.4 of the way out to either
        // side, the scalp lies as much lower as it does on a head as high as
        // it is wide (about 19 slices; slices as thick as the voxel is
        // wide).
        const auto scalpTop = [&head, y](int x) {
            int z = head.depth - 1;
            while (z > 0 && classify(head.at(x, y, z)) == Air)
                --z;
            return z;
        };
        const int crown = scalpTop(centre);
        QVERIFY2(crown >= top - 5 && crown < top, qPrintable(QString::number(crown)));
        for (float u : {-0.4f, 0.4f}) {
            const int drop = crown - scalpTop(voxelAt(u, 256));
            QVERIFY2(drop >= 15 && drop <= 23, qPrintable(QString::number(drop)));
        }

        // Halfway up, from the back and from the side, bone lies right under
        // the scalp.
        std::vector<uint16_t> fromBack, fromSide;
        for (int i = 0; i < 75; ++i) {
            fromBack.push_back(head.at(centre, 255 - i, middle));
            fromSide.push_back(head.at(i, voxelAt(0.0f, 256), middle));
        }
        for (const std::vector<uint16_t>& line : {fromBack, fromSide}) {
            QVERIFY(tissueBeforeBone(line) < 10);
            QCOMPARE(runs(line), (std::vector<Material>{Air, Tissue, Bone, Tissue}));
        }
        // Brain densities inside the skull, on both sides.
        for (float u : {-0.3f, 0.3f}) {
            const uint16_t brain = head.at(voxelAt(u, 256), voxelAt(0.0f, 256), middle);
            QVERIFY2(brain >= 1030 && brain <= 1110, qPrintable(QString::number(brain)));
        }

        // The lowest slices cut through the forehead above the orbits: from
        // the front in the middle, the frontal sinus's air behind a bony
        // wall, then bone again before the brain.
        std::vector<uint16_t> fromFront;
        for (int i = 0; i < 70; ++i)
            fromFront.push_back(head.at(centre, i, 5));
        QCOMPARE(runs(fromFront), (std::vector<Material>{Air, Tissue, Bone, Air, Bone, Tissue}));
        // The bottom slice catches the tops of both eyes (vitreous, denser
        // than CSF and lighter than soft tissue) under the eyelids.
        for (float u : {-0.27f, 0.27f}) {
            std::vector<uint16_t> eye;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    eye.push_back(head.at(voxelAt(u, 256) + dx, voxelAt(-0.566f, 256) + dy, 0));
            std::nth_element(eye.begin(), eye.begin() + 12, eye.end());
            QVERIFY2(eye[12] >= 1020 && eye[12] <= 1042, qPrintable(QString::number(eye[12])));
        }
        QVERIFY(head.at(0, 0, 0) < 40);
        QVERIFY(head.at(255, 255, top) < 40);
    }

    void phantomsAreDeterministicAtAnySize()
    {
        // Rendered by several threads: the samples may not depend on how
        // the slices were shared out.
        const SampleVolume head = makeHeadPhantom();
        QVERIFY(head.samples == makeHeadPhantom().samples);
        QVERIFY(makeEnginePhantom().samples == makeEnginePhantom().samples);

        // A quarter of the resolution is the same part of the same head:
        // both stacks are counted down from the same height above the crown,
        // so voxel (i, j, k) of the small one lies between voxels 4i + 1
        // and 4i + 2 (and so on) of the large one.
        const SampleVolume small = makeHeadPhantom(64, 64, 28);
        QCOMPARE(small.samples.size(), size_t(64 * 64 * 28));
        QVERIFY(*std::max_element(small.samples.begin(), small.samples.end()) <= 4095);
        int same = 0;
        for (int k = 0; k < 28; ++k)
            for (int j = 0; j < 64; ++j)
                for (int i = 0; i < 64; ++i)
                    same += classify(small.at(i, j, k)) ==
                            classify(head.at(4 * i + 2, 4 * j + 2, 4 * k + 3));
        QVERIFY2(same > 0.97 * 64 * 64 * 28, qPrintable(QString::number(same)));
        QVERIFY(small.at(0, 0, 0) < 40);
        const uint16_t brain = small.at(voxelAt(0.3f, 64), voxelAt(0.0f, 64), 14);
        QVERIFY2(brain >= 1030 && brain <= 1110, qPrintable(QString::number(brain)));
        const SampleVolume oneSlice = makeHeadPhantom(16, 16, 1);
        QCOMPARE(oneSlice.samples.size(), size_t(256));

        for (const SampleVolume& empty :
             {makeHeadPhantom(0, 10, 10), makeEnginePhantom(10, -1, 10)}) {
            QCOMPARE(empty.width, 0);
            QCOMPARE(empty.height, 0);
            QCOMPARE(empty.depth, 0);
            QVERIFY(empty.samples.empty());
        }
    }

    void engineHasMaterialsAndHoles()
    {
        const SampleVolume engine = makeEnginePhantom();
        QCOMPARE(engine.width, 160);
        QCOMPARE(engine.height, 128);
        QCOMPARE(engine.depth, 64);
        QVERIFY(*std::max_element(engine.samples.begin(), engine.samples.end()) <= 4095);
        const Histogram counts = histogramOf(engine);
        QVERIFY2(share(counts, 0, 200) > 0.2, "air");
        QVERIFY2(share(counts, 870, 930) > 0.003, "oil");
        QVERIFY2(share(counts, 1850, 2050) > 0.15, "aluminium");
        QVERIFY2(share(counts, 3050, 3600) > 0.01, "steel");
        QVERIFY2(share(counts, 3750, 3850) > 0.0005, "bronze");
        // A bore is open at the top of the block: air between aluminium
        // walls (uniform frame: 80 voxels per unit, centre 79.5, 63.5, 31.5).
        const int z = 31 + 24, y = 63;
        QVERIFY(engine.at(79 - 16, y, z) < 100); // the bore of the second cylinder
        QVERIFY(engine.at(79, y, z) > 1800);     // the wall between two bores
        QVERIFY(engine.at(79 + 16, y, z) < 100);
    }

    void loaderReadsTheGeneratedHead()
    {
        TestFolder folder;
        const SampleVolume head = makeHeadPhantom();
        QVERIFY(writeVolumeFile(folder.file("head.dat"), head));
        VolumeData volume;
        ConsoleCapture console;
        readVolumeFile(folder.file("head.dat"), volume);
        QCOMPARE(console.err(), std::string());
        QCOMPARE(volume.width, 256);
        QCOMPARE(volume.height, 256);
        QCOMPARE(volume.depth, 113);
        QCOMPARE(volume.voxels.size(), head.samples.size());
        const Histogram expected = histogramOf(head);
        QVERIFY(std::equal(expected.begin(), expected.end(), volume.histogram.begin()));
        QCOMPARE(std::accumulate(volume.histogram.begin(), volume.histogram.end(), int64_t(0)),
                 int64_t(256 * 256 * 113));
        for (size_t i : {size_t(0), size_t(3000000), head.samples.size() - 1})
            QCOMPARE(volume.voxels[i], float(double(head.samples[i]) / 4095.0));
    }

    void generatorWritesBothVolumesThenSkipsThem()
    {
        TestFolder folder;
        const std::string dat = folder.file("run/dat"); // neither folder exists yet
        const std::string headPath = dat + "/head.dat", enginePath = dat + "/engine.dat";
        QByteArray out, err;
        QCOMPARE(runGenerator({QString::fromStdString(dat)}, &out, &err), 0);
        QCOMPARE(err, QByteArray());
        QCOMPARE(out.toStdString(), "- Wrote '" + headPath + "' (256 x 256 x 113).\n" +
                                        "- Wrote '" + enginePath + "' (160 x 128 x 64).\n");
        // Exactly the library's phantoms.
        QVERIFY(writeVolumeFile(folder.file("head.dat"), makeHeadPhantom()));
        QVERIFY(writeVolumeFile(folder.file("engine.dat"), makeEnginePhantom()));
        QVERIFY(fileBytes(headPath) == fileBytes(folder.file("head.dat")));
        QVERIFY(fileBytes(enginePath) == fileBytes(folder.file("engine.dat")));
        QVERIFY(!QFile::exists(QString::fromStdString(headPath + ".part")));

        // A head of the right size is kept as it is (a changed sample
        // survives); an engine cut short is written again.
        QByteArray marked = fileBytes(headPath);
        marked[1000] = char(0x55);
        folder.write("run/dat/head.dat", marked);
        folder.write("run/dat/engine.dat", fileBytes(enginePath).chopped(2));
        QCOMPARE(runGenerator({QString::fromStdString(dat)}, &out, &err), 0);
        QCOMPARE(out.toStdString(), "- Wrote '" + enginePath + "' (160 x 128 x 64).\n");
        QVERIFY(fileBytes(headPath) == marked);
        QVERIFY(fileBytes(enginePath) == fileBytes(folder.file("engine.dat")));

        QCOMPARE(runGenerator({QString::fromStdString(dat)}, &out, &err), 0);
        QCOMPARE(out, QByteArray());
        QCOMPARE(err, QByteArray());
    }

    void generatorFailsLoudly()
    {
        TestFolder folder;
        QByteArray out, err;
        QCOMPARE(runGenerator({}, &out, &err), 2);
        QCOMPARE(err, QByteArray("Usage: kastra-make-volumes <folder>\n"));

        // A file stands where the folder should be.
        folder.write("taken", "not a folder");
        const std::string blocked = folder.file("taken/dat");
        QCOMPARE(runGenerator({QString::fromStdString(blocked)}, &out, &err), 1);
        QCOMPARE(out, QByteArray());
        QCOMPARE(err.toStdString(), "+ Cannot create the folder '" + blocked + "'.\n");

        // A folder stands where a volume file should be.
        folder.write("dat/head.dat/keep", "");
        QCOMPARE(runGenerator({QString::fromStdString(folder.file("dat"))}, &out, &err), 1);
        QCOMPARE(err.toStdString(), "+ Cannot write '" + folder.file("dat/head.dat") + "'.\n");
        QVERIFY(!QFile::exists(QString::fromStdString(folder.file("dat/head.dat.part"))));
    }
};

QTEST_GUILESS_MAIN(TestSampleVolumes)
#include "tst_samplevolumes.moc"
