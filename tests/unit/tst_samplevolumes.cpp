// The sample volumes: the writer's bytes, the phantoms, and the kastra-make-volumes program.

#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tools/phantoms.h"
#include "volume/volumewriter.h"
#include "volume/volumeloader.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <array>
#include <numeric>

namespace {

QByteArray fileBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The generator's exit code, or -1 when it did not finish.
int runGenerator(const std::string& folder, QByteArray* out, QByteArray* err)
{
    QProcess process;
    process.start(QStringLiteral(KASTRA_MAKE_VOLUMES),
                  folder.empty() ? QStringList() : QStringList{QString::fromStdString(folder)});
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

    const SampleVolume m_head = makeHeadPhantom();

private slots:
    void writerStoresOnlyWhatTheFileCanDescribe()
    {
        TestFolder folder;
        SampleVolume volume(300, 1, 2); // an extent above 255 uses the header's high byte
        volume.samples[0] = 0x0102;
        volume.samples[1] = 0x0ffe;
        QVERIFY(writeVolumeFile(folder.file("v.dat"), volume));
        const QByteArray bytes = fileBytes(folder.file("v.dat"));
        QCOMPARE(bytes.left(12),
                 QByteArray("\x2c\x01\x01\x00\x02\x00\x02\x01\xfe\x0f\x00\x00", 12));
        QCOMPARE(bytes, volumeFileBytes(300, 1, 2, volume.samples));
        QCOMPARE(uint64_t(bytes.size()), volumeFileSize(300, 1, 2));

        // Samples short of the extents, an extent beyond 16 bits, a missing folder: no file.
        volume.samples.pop_back();
        QVERIFY(!writeVolumeFile(folder.file("short.dat"), volume));
        QVERIFY(!writeVolumeFile(folder.file("wide.dat"), SampleVolume(70000, 1, 1)));
        QVERIFY(!QFile::exists(folder.path() + "/short.dat") &&
                !QFile::exists(folder.path() + "/wide.dat"));
        QVERIFY(!writeVolumeFile(folder.file("missing/v.dat"), SampleVolume(2, 2, 2)));
    }

    // The loader counts every sample of the head: mass in air, soft tissue, bone and metal.
    void loaderReadsTheGeneratedHead()
    {
        TestFolder folder;
        QVERIFY(writeVolumeFile(folder.file("head.dat"), m_head));
        VolumeData volume;
        ConsoleCapture console;
        readVolumeFile(folder.file("head.dat"), volume);
        QCOMPARE(console.err(), std::string());
        QCOMPARE(QVector<int>({volume.width, volume.height, volume.depth}),
                 QVector<int>({256, 256, 113}));
        QVERIFY(*std::max_element(m_head.samples.begin(), m_head.samples.end()) <= 4095);
        std::array<int32_t, kDensityCount> counts{};
        for (uint16_t sample : m_head.samples)
            ++counts[std::min<size_t>(sample, 4095)];
        QVERIFY(counts == volume.histogram);
        QCOMPARE(volume.voxels[3000000], float(m_head.samples[3000000] / 4095.0));

        const auto share = [&counts](int low, int end) {
            return std::accumulate(counts.begin() + low, counts.begin() + end, 0.0) /
                   (256 * 256 * 113);
        };
        QVERIFY2(share(0, 200) > 0.5, "air around the head");
        QVERIFY2(share(900, 1200) > 0.15, "skin, soft tissue, brain");
        QVERIFY2(share(1700, 3000) > 0.03, "bone");
        QVERIFY2(counts[4095] > 200, "metal at the ceiling");
    }

    // z runs up, slices as thick as voxels are wide; y runs from the face backwards.
    void headAxes()
    {
        const auto scalpTop = [this](int x) {
            int z = 112;
            while (z > 0 && m_head.at(x, 134, z) < 500)
                --z;
            return z;
        };
        // The stack ends just above a round crown: 0.4 of the way out to either side, the scalp
        // lies about 19 slices lower, as on a head as high as it is wide.
        const int crown = scalpTop(128);
        QVERIFY2(crown >= 107 && crown < 112, qPrintable(QString::number(crown)));
        for (int x : {76, 179}) {
            const int drop = crown - scalpTop(x);
            QVERIFY2(drop >= 15 && drop <= 23, qPrintable(QString::number(drop)));
        }
        // Near the bottom slice, behind the middle of the forehead: the frontal sinus's air.
        QVERIFY(m_head.at(128, 39, 5) > 1500 && m_head.at(128, 44, 5) < 500);
    }

    void phantomsAreDeterministic()
    {
        // Built by several threads: the samples may not depend on how the work was shared.
        QVERIFY(m_head.samples == makeHeadPhantom().samples);
        const SampleVolume engine = makeEnginePhantom();
        QVERIFY(engine.samples == makeEnginePhantom().samples);
        QVERIFY(*std::max_element(engine.samples.begin(), engine.samples.end()) <= 4095);
        QCOMPARE(makeHeadPhantom(64, 64, 28).samples.size(), size_t(64 * 64 * 28));
        QVERIFY(makeHeadPhantom(0, 10, 10).samples.empty());
        QCOMPARE(makeEnginePhantom(10, -1, 10).width, 0);
    }

    void generatorWritesSkipsAndFailsLoudly()
    {
        TestFolder folder;
        const std::string dat = folder.file("run/dat"); // neither folder exists yet
        const std::string head = dat + "/head.dat", engine = dat + "/engine.dat";
        const std::string wroteEngine = "- Wrote '" + engine + "' (160 x 128 x 64).\n";
        const QByteArray engineBytes = volumeFileBytes(160, 128, 64, makeEnginePhantom().samples);
        QByteArray out, err;
        QCOMPARE(runGenerator(dat, &out, &err), 0);
        QCOMPARE(err, QByteArray());
        QCOMPARE(out.toStdString(), "- Wrote '" + head + "' (256 x 256 x 113).\n" + wroteEngine);
        QVERIFY(fileBytes(head) == volumeFileBytes(256, 256, 113, m_head.samples));
        QVERIFY(fileBytes(engine) == engineBytes);
        QVERIFY(!QFile::exists(folder.path() + "/run/dat/head.dat.part"));

        // A head of the right size is kept (a changed sample survives); a short engine is not.
        QByteArray marked = fileBytes(head);
        marked[1000] = char(0x55);
        folder.write("run/dat/head.dat", marked);
        folder.write("run/dat/engine.dat", engineBytes.chopped(2));
        QCOMPARE(runGenerator(dat, &out, &err), 0);
        QCOMPARE(out.toStdString(), wroteEngine);
        QVERIFY(fileBytes(head) == marked && fileBytes(engine) == engineBytes);
        QCOMPARE(runGenerator(dat, &out, &err), 0);
        QCOMPARE(out + err, QByteArray());

        // Loudly: a usage line, a file where the folder should be, a folder where a file should.
        QCOMPARE(runGenerator({}, &out, &err), 2);
        QCOMPARE(err, QByteArray("Usage: kastra-make-volumes <folder>\n"));
        folder.write("taken", "a file where the folder should be");
        QCOMPARE(runGenerator(folder.file("taken/dat"), &out, &err), 1);
        QCOMPARE((out + err).toStdString(),
                 "+ Cannot create the folder '" + folder.file("taken/dat") + "'.\n");
        folder.write("dat/head.dat/keep", "");
        QCOMPARE(runGenerator(folder.file("dat"), &out, &err), 1);
        QCOMPARE(err.toStdString(), "+ Cannot write '" + folder.file("dat/head.dat") + "'.\n");
        QVERIFY(!QFile::exists(folder.path() + "/dat/head.dat.part"));
    }
};

QTEST_GUILESS_MAIN(TestSampleVolumes)
#include "tst_samplevolumes.moc"
