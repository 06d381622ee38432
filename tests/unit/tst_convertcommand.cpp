// kastra-convert as a process: a refused or failed conversion exits with 1,
// says what failed and where in one line on the error stream, creates no
// output and leaves an existing OUTPUT as it was.

#include "tests/support/testfolder.h"
#include "tests/unit/scanfixtures.h"
#include "volume/volumewriter.h"

#include <QtTest>
#include <nifti2_io.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace {

using Setup = std::function<void()>;

// Cuts the last `bytes` off a file.
void shorten(const std::string& path, int bytes)
{
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - uint64_t(bytes));
}

TestScan smallScan()
{
    TestScan scan(4, 3, 2, 50);
    return scan;
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestConvertCommand : public QObject
{
    Q_OBJECT

private slots:
    void failuresLeaveOutputAlone_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error"); // a part of the one line
        // Data attached to its header is checked against the whole file...
        QTest::newRow("NRRD far shorter than announced") << Setup([] {
            writeToolkitFile(TestScan(20, 20, 10), "in.nrrd");
            shorten("in.nrrd", 4000);
        }) << QStringList{"in.nrrd"} << "the header announces 8000 bytes of samples, 'in.nrrd'";
        // ...and a few bytes short, the reader finds it.
        QTest::newRow("NRRD a little shorter") << Setup([] {
            writeToolkitFile(smallScan(), "in.nrrd");
            shorten("in.nrrd", 2);
        }) << QStringList{"in.nrrd"} << "cannot convert 'in.nrrd': ";
        QTest::newRow("detached MetaImage data short") << Setup([] {
            writeToolkitFile(smallScan(), "in.mhd");
            shorten("in.raw", 1);
        }) << QStringList{"in.mhd"} << "announces 48 bytes of samples";
        QTest::newRow("NIfTI shorter than announced") << Setup([] {
            writeNifti(smallScan(), "in.nii", DT_INT16);
            shorten("in.nii", 1);
        }) << QStringList{"in.nii"} << "announces 48 bytes of samples";
        QTest::newRow("volume file shorter than announced") << Setup([] {
            writeVolumeFile("in.dat", SampleVolume(4, 3, 2));
            shorten("in.dat", 1);
        }) << QStringList{"in.dat"} << "the header announces 4 x 3 x 2 samples (54 bytes)";
        QTest::newRow("not a NRRD file")
            << Setup([] { std::ofstream("in.nrrd") << "hello"; }) << QStringList{"in.nrrd"}
            << "cannot read 'in.nrrd': not a valid NRRD file";
        QTest::newRow("more than the program loads")
            << Setup([] { writeToolkitFile(TestScan(70000, 2, 1), "in.nrrd"); })
            << QStringList{"in.nrrd"} << "--shrink 2 writes 35000 x 1 x 1";
        QTest::newRow("a volume the 4-D file lacks")
            << Setup([] { writeNifti(smallScan(), "in.nii", DT_INT16, true, 1, 2); })
            << QStringList{"in.nii", "--volume", "2"} << "it holds volumes 0..1";
        QTest::newRow("two series, none chosen") << Setup([] {
            writeDicomSeries(smallScan(), "in", "1.2.3.1");
            writeDicomSeries(smallScan(), "in", "1.2.3.2");
        }) << QStringList{"in"} << "choose one with --series UID";
        QTest::newRow("a series the folder lacks")
            << Setup([] { writeDicomSeries(smallScan(), "in", "1.2.3.1"); })
            << QStringList{"in", "--series", "1.2.3.9"} << "it holds no series 1.2.3.9";
        QTest::newRow("an export of a scan")
            << Setup([] { writeToolkitFile(smallScan(), "in.nrrd"); })
            << QStringList{"in.nrrd", "out.nii"} << "only a .dat INPUT exports";
    }

    void failuresLeaveOutputAlone()
    {
        QFETCH(Setup, setup);
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        TestFolder folder;
        setup();
        const QString output = arguments.size() > 1 && !arguments[1].startsWith("-")
                                   ? arguments.takeAt(1)
                                   : QString("out.dat");
        folder.write(output.toStdString(), "old");
        const ProcessResult result =
            runConvertProcess(QStringList{arguments[0], output} + arguments.mid(1));
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.startsWith("kastra-convert: ") && result.err.count('\n') == 1 &&
                     result.err.endsWith('\n'),
                 qPrintable(result.err));
        QVERIFY2(result.err.contains(error), qPrintable(result.err));
        QFile old(output);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QVERIFY(!QFile::exists(output + ".part"));
    }

    // Both series listed, then the chosen one converted.
    void aSeriesIsChosenByItsUid()
    {
        TestFolder folder;
        writeDicomSeries(smallScan(), "in", "1.2.3.1");
        writeDicomSeries(TestScan(2, 2, 2), "in", "1.2.3.2");
        const ProcessResult listed = runConvertProcess({"in", "out.dat"});
        QVERIFY(listed.out.contains("  1.2.3.1  \"\"  2 slices\n  1.2.3.2  \"\"  2 slices\n"));
        const ProcessResult chosen = runConvertProcess({"in", "out.dat", "--series", "1.2.3.2"});
        QCOMPARE(chosen.exitCode, 0);
        QVERIFY2(chosen.out.contains("into 'out.dat', 2 x 2 x 2 voxels"), qPrintable(chosen.out));
    }
};

QTEST_GUILESS_MAIN(TestConvertCommand)
#include "tst_convertcommand.moc"
