// The volume writer's bytes, the phantom kit and the kastra-make-volumes program.

#include "tests/support/testfolder.h"
#include "tools/phantom/phantom.h"
#include "tools/phantom/phantoms.h"
#include "volume/volumewriter.h"

#include <QtTest>

namespace {

QByteArray fileBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs the generator; its exit code and what it printed, its error stream after "! ".
int runGenerator(const std::string& folder, QByteArray* printed)
{
    QProcess process;
    process.start(QStringLiteral(KASTRA_MAKE_VOLUMES),
                  folder.empty() ? QStringList() : QStringList{QString::fromStdString(folder)});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    const QByteArray err = process.readAllStandardError();
    *printed = process.readAllStandardOutput() + (err.isEmpty() ? "" : "! " + err);
    return process.exitCode();
}

} // namespace

class TestSampleVolumes : public QObject
{
    Q_OBJECT

private slots:
    void writerStoresOnlyWhatTheFileCanDescribe()
    {
        TestFolder folder;
        SampleVolume volume(65535, 1, 2); // the largest extent the header holds
        volume.samples[0] = 0x0102;
        volume.samples[1] = 0x0ffe;
        QVERIFY(writeVolumeFile("v.dat", volume));
        QCOMPARE(fileBytes("v.dat").left(12),
                 QByteArray("\xff\xff\x01\x00\x02\x00\x02\x01\xfe\x0f\x00\x00", 12));
        QCOMPARE(fileBytes("v.dat").size(), 6 + 2 * 65535 * 2);

        // Samples short of the extents, an extent beyond 16 bits, a missing
        // folder: nothing written, and an older file of the name kept.
        volume.samples.pop_back();
        QVERIFY(!writeVolumeFile("v.dat", volume));
        QVERIFY(!writeVolumeFile("v.dat", SampleVolume(65536, 1, 1)));
        QVERIFY(!writeVolumeFile("missing/v.dat", SampleVolume(2, 2, 2)));
        QCOMPARE(fileBytes("v.dat").size(), 6 + 2 * 65535 * 2);
        QCOMPARE(QDir().entryList(QDir::Files), QStringList{"v.dat"});
    }

    // The kit behind the phantoms on a 21-voxel cube, 10 voxels to the unit:
    // layers painted over each other with edges blurred over a voxel, every
    // slab of slices rendered, densities clamped to 12 bits.
    void phantomLayersCoverWhatIsBelowThem()
    {
        // A box filling the volume, over it the left half of a sphere (an intersection),
        // over both everything below z = 5.
        const phantom::Frame frame(21, 21, 21, 10.0f); // the origin is voxel (10, 10, 10)
        phantom::Phantom p(frame, 0.0f, 0);
        p.paint(1000, p.box({0, 0, 0}, {2, 2, 2}));
        p.paint(3000, p.ellipsoid({0, 0, 0}, {0.5f, 0.5f, 0.5f}), p.below({1, 0, 0}, 0));
        p.paint(1800, p.below({0, 0, 1}, -0.5f));
        const SampleVolume volume = p.render();
        QCOMPARE(volume.samples.size(), size_t(21 * 21 * 21));
        QVERIFY(std::count(volume.samples.begin(), volume.samples.end(), 0) == 0);
        QCOMPARE(int(volume.at(7, 10, 10)), 3000);  // in both parts
        QCOMPARE(int(volume.at(10, 10, 10)), 2000); // on the plane: half covered
        QCOMPARE(int(volume.at(13, 10, 10)), 1000); // in the sphere only
        QCOMPARE(int(volume.at(7, 10, 17)), 1000);  // in the half-space only
        // On all three surfaces: half of the top layer, a quarter of each below it.
        QCOMPARE(int(volume.at(10, 10, 5)), 900 + 750 + 250);

        // Densities beyond the 12 bits are clamped.
        phantom::Phantom noisy(frame, 20.0f, 7);
        noisy.paint(5000, noisy.ellipsoid({0, 0, 0}, {0.3f, 0.3f, 0.3f}));
        const SampleVolume samples = noisy.render();
        QCOMPARE(int(samples.at(10, 10, 10)), 4095);
    }

    void generatorWritesSkipsAndFailsLoudly()
    {
        TestFolder folder;
        const std::string dat = folder.file("run/dat"); // neither folder exists yet
        const std::string head = dat + "/head.dat", engine = dat + "/engine.dat";
        const std::string wroteEngine = "- Wrote '" + engine + "' (160 x 128 x 64).\n";
        const QByteArray engineBytes = volumeFileBytes(160, 128, 64, makeEnginePhantom().samples);
        QByteArray printed;
        QCOMPARE(runGenerator(dat, &printed), 0);
        QCOMPARE(printed.toStdString(), "- Wrote '" + head + "' (256 x 256 x 113).\n" + wroteEngine);
        QVERIFY(fileBytes(head) == volumeFileBytes(256, 256, 113, makeHeadPhantom().samples));
        QVERIFY(fileBytes(engine) == engineBytes);

        // A head of the right size is kept (a changed sample survives); a short engine is not.
        QByteArray marked = fileBytes(head);
        marked[1000] = char(0x55);
        folder.write("run/dat/head.dat", marked);
        folder.write("run/dat/engine.dat", engineBytes.chopped(2));
        QCOMPARE(runGenerator(dat, &printed), 0);
        QCOMPARE(printed.toStdString(), wroteEngine);
        QVERIFY(fileBytes(head) == marked && fileBytes(engine) == engineBytes);
        QCOMPARE(runGenerator(dat, &printed), 0);
        QCOMPARE(printed, QByteArray());

        // Loudly: a usage line, a file where the folder should be, a folder where a file should.
        QCOMPARE(runGenerator({}, &printed), 2);
        QCOMPARE(printed, QByteArray("! Usage: kastra-make-volumes <folder>\n"));
        folder.write("taken", "a file where the folder should be");
        QCOMPARE(runGenerator(folder.file("taken/dat"), &printed), 1);
        QCOMPARE(printed.toStdString(),
                 "! + Cannot create the folder '" + folder.file("taken/dat") + "'.\n");
        folder.write("dat/head.dat/keep", "");
        QCOMPARE(runGenerator(folder.file("dat"), &printed), 1);
        QCOMPARE(printed.toStdString(), "! + Cannot write '" + folder.file("dat/head.dat") + "'.\n");
        QVERIFY(!QFile::exists(folder.path() + "/dat/head.dat.part"));
    }
};

QTEST_GUILESS_MAIN(TestSampleVolumes)
#include "tst_samplevolumes.moc"
