// The converter called as a library: where a marker voxel lands under the
// orientation rule, the value mappings, the written grid, and export round
// trips. Expected positions and values are worked out by hand.

#include "convert/converter.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/unit/scanfixtures.h"
#include "volume/volumeloader.h"

#include <QtTest>
#include <nifti2_io.h>

#include <algorithm>

namespace {

using Extents = std::array<int, 3>;
using Spacing = std::array<double, 3>;

// Stored axes (LPS columns): i towards L, j towards P, k towards S...
const Direction kAxial{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
// ...i towards P, j towards I, k towards L (left-handed)...
const Direction kSagittalMirrored{{{0, 0, 1}, {1, 0, 0}, {0, -1, 0}}};
// ...i towards R, j towards I, k towards A.
const Direction kCoronal{{{-1, 0, 0}, {0, 0, -1}, {0, -1, 0}}};

struct Converted
{
    int status = -1;
    std::string out, err;
    SampleVolume volume;
};

// Converts `input` in the current folder into `output` with `options`.
Converted convertFile(const std::string& input, QStringList options = {},
                      const std::string& output = "out.dat")
{
    options << QString::fromStdString(input) << QString::fromStdString(output);
    std::vector<std::string> arguments;
    for (const QString& option : options)
        arguments.push_back(option.toStdString());
    ConvertOptions parsed;
    Converted result;
    if (!parseConvertOptions(arguments, parsed).empty())
        return result;
    {
        ConsoleCapture console;
        result.status = convert(parsed, false);
        result.out = console.out();
        result.err = console.err();
    }
    if (formatExtension(output) == ".dat")
        readVolumeSamples(output, result.volume);
    return result;
}

Extents extentsOf(const SampleVolume& volume)
{
    return {{volume.width, volume.height, volume.depth}};
}

// Writes the scan as `format`: "dicom", "nifti", "nifti-gz", "nifti2",
// "nifti-noframe", "nifti-4d", "nrrd", "nrrd-float", "mha". Returns INPUT.
std::string writeScan(const TestScan& scan, const QString& format)
{
    if (format == "dicom") {
        writeDicomSeries(scan, "series", "1.2.3.4");
        return "series";
    }
    if (format.startsWith("nifti")) {
        const std::string name = format == "nifti-gz" ? "scan.nii.gz" : "scan.nii";
        writeNifti(scan, name, DT_INT16, format != "nifti-noframe", format == "nifti2" ? 2 : 1,
                   format == "nifti-4d" ? 2 : 1);
        return name;
    }
    const std::string name = format == "mha" ? "scan.mha" : "scan.nrrd";
    writeToolkitFile(scan, name, format.endsWith("float"));
    return name;
}

} // namespace

Q_DECLARE_METATYPE(Direction)
Q_DECLARE_METATYPE(Extents)
Q_DECLARE_METATYPE(Spacing)

class TestConvert : public QObject
{
    Q_OBJECT

private slots:
    // A 5 x 4 x 3 scan with one marker voxel at stored (1, 2, 1). Written x
    // runs right to left, y posterior to anterior, z superior to inferior;
    // a stored axis pointing the other way is read backwards.
    void markerLandsWhereTheOrientationRulePutsIt_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<Extents>("extents");
        QTest::addColumn<Extents>("marker");
        // x = i; y = 3 - j (j runs to P); z = 2 - k (k runs to S).
        QTest::newRow("DICOM axial")
            << "dicom" << kAxial << Extents{{5, 4, 3}} << Extents{{1, 1, 1}};
        // x = k; y = 4 - i (i runs to P); z = j. A mirror, undone.
        QTest::newRow("DICOM sagittal")
            << "dicom" << kSagittalMirrored << Extents{{3, 5, 4}} << Extents{{1, 3, 2}};
        // x = 4 - i (i runs to R); y = k; z = j.
        QTest::newRow("DICOM coronal")
            << "dicom" << kCoronal << Extents{{5, 3, 4}} << Extents{{3, 1, 2}};
        QTest::newRow("NIfTI axial, gzip")
            << "nifti-gz" << kAxial << Extents{{5, 4, 3}} << Extents{{1, 1, 1}};
        QTest::newRow("NIfTI sagittal")
            << "nifti" << kSagittalMirrored << Extents{{3, 5, 4}} << Extents{{1, 3, 2}};
        QTest::newRow("NIfTI-2 coronal")
            << "nifti2" << kCoronal << Extents{{5, 3, 4}} << Extents{{3, 1, 2}};
        // No patient frame: the stored order.
        QTest::newRow("NIfTI without frame")
            << "nifti-noframe" << kCoronal << Extents{{5, 4, 3}} << Extents{{1, 2, 1}};
        QTest::newRow("NRRD") << "nrrd" << kSagittalMirrored << Extents{{5, 4, 3}}
                              << Extents{{1, 2, 1}};
        QTest::newRow("MetaImage") << "mha" << kCoronal << Extents{{5, 4, 3}} << Extents{{1, 2, 1}};
    }

    void markerLandsWhereTheOrientationRulePutsIt()
    {
        QFETCH(QString, format);
        QFETCH(Direction, direction);
        QFETCH(Extents, extents);
        QFETCH(Extents, marker);
        TestFolder folder;
        TestScan scan(5, 4, 3, 100);
        scan.direction = direction;
        scan.at(1, 2, 1) = 900;
        const Converted result = convertFile(writeScan(scan, format));
        QCOMPARE(result.status, 0);
        QCOMPARE(extentsOf(result.volume), extents);
        const auto brightest =
            std::max_element(result.volume.samples.begin(), result.volume.samples.end());
        const int at = int(brightest - result.volume.samples.begin());
        QCOMPARE((Extents{{at % extents[0], at / extents[0] % extents[1],
                           at / (extents[0] * extents[1])}}),
                 marker);
        QCOMPARE(std::count(result.volume.samples.begin(), result.volume.samples.end(), *brightest),
                 1L);
    }

    // A row of values in, a row of 12-bit samples out.
    void valuesMapByTheFirstRuleThatApplies_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QVector<float>>("values");
        QTest::addColumn<QVector<int>>("samples");
        QTest::addColumn<int>("clamped");
        QTest::newRow("integers within 0..4095: unchanged")
            << "nrrd" << QStringList{} << QVector<float>{0, 7, 4095} << QVector<int>{0, 7, 4095}
            << 0;
        QTest::newRow("integers outside: their range") // 100 / 400 * 4095 = 1023.75
            << "nrrd" << QStringList{} << QVector<float>{-100, 0, 300}
            << QVector<int>{0, 1024, 4095} << 0;
        QTest::newRow("floats: their range")
            << "nrrd-float" << QStringList{} << QVector<float>{0, 0.25f, 1}
            << QVector<int>{0, 1024, 4095} << 0;
        QTest::newRow("--ct: HU + 1024")
            << "nrrd" << QStringList{"--ct"} << QVector<float>{-2000, -1024, 0, 3071, 3500}
            << QVector<int>{0, 0, 1024, 4095, 4095} << 2;
        QTest::newRow("CT series: HU + 1024")
            << "dicom" << QStringList{} << QVector<float>{-1024, 0, 2000}
            << QVector<int>{0, 1024, 3024} << 0;
        QTest::newRow("--window 0 4095 keeps and clamps")
            << "nrrd" << QStringList{"--window", "0", "4095"} << QVector<float>{-5, 100, 5000}
            << QVector<int>{0, 100, 4095} << 2;
        QTest::newRow("--window -100 300")
            << "nrrd-float" << QStringList{"--window", "-100", "300"}
            << QVector<float>{-100, 0, 300, 400} << QVector<int>{0, 1024, 4095, 4095} << 1;
        QTest::newRow("4-D NIfTI --volume 1") // volume 1 holds the values + 1000
            << "nifti-4d" << QStringList{"--volume", "1"} << QVector<float>{1, 2}
            << QVector<int>{1001, 1002} << 0;
    }

    void valuesMapByTheFirstRuleThatApplies()
    {
        QFETCH(QString, format);
        QFETCH(QStringList, options);
        QFETCH(QVector<float>, values);
        QFETCH(QVector<int>, samples);
        QFETCH(int, clamped);
        TestFolder folder;
        TestScan scan(unsigned(values.size()), 1, 1);
        std::copy(values.begin(), values.end(), scan.values.begin());
        const Converted result = convertFile(writeScan(scan, format), options);
        QCOMPARE(result.status, 0);
        QCOMPARE(QVector<int>(result.volume.samples.begin(), result.volume.samples.end()), samples);
        QVERIFY(result.out.find(", " + std::to_string(clamped) + " sample") != std::string::npos);
    }

    // Along z, slices of 0, 300, 600 (NRRD: the stored order).
    void gridIsResampledToCubesOrShrunk_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<Spacing>("spacing");
        QTest::addColumn<Extents>("extents");
        QTest::addColumn<QVector<int>>("profile"); // along z at x = y = 0
        // 0.5 mm cubes: 2 x 1.5 mm / 0.5 mm + 1 = 7 slices, 100 apart.
        QTest::newRow("anisotropic: cubes")
            << QStringList{} << Spacing{{0.5, 0.5, 1.5}} << Extents{{2, 2, 7}}
            << QVector<int>{0, 100, 200, 300, 400, 500, 600};
        QTest::newRow("--keep-grid") << QStringList{"--keep-grid"} << Spacing{{0.5, 0.5, 1.5}}
                                     << Extents{{2, 2, 3}} << QVector<int>{0, 300, 600};
        // A 2.2 mm span holds four 0.5 mm steps, centred: 0.1 mm in, so at
        // 0.1, 0.6, 1.1, 1.6, 2.1 mm, 300 per 1.1 mm.
        QTest::newRow("cubes centred in the span")
            << QStringList{} << Spacing{{0.5, 0.5, 1.1}} << Extents{{2, 2, 5}}
            << QVector<int>{27, 164, 300, 436, 573};
        // Blocks of 2: the 2 x 2 x 3 grid becomes 1 x 1 x 1, the third
        // slice dropped; the average of 0 and 300.
        QTest::newRow("--shrink 2")
            << QStringList{"--shrink", "2", "--keep-grid"} << Spacing{{1, 1, 1}}
            << Extents{{1, 1, 1}} << QVector<int>{150};
    }

    void gridIsResampledToCubesOrShrunk()
    {
        QFETCH(QStringList, options);
        QFETCH(Spacing, spacing);
        QFETCH(Extents, extents);
        QFETCH(QVector<int>, profile);
        TestFolder folder;
        TestScan scan(2, 2, 3);
        scan.spacing = spacing;
        for (unsigned i = 0; i < scan.values.size(); ++i)
            scan.values[i] = float(300 * (i / 4));
        const Converted result = convertFile(writeScan(scan, "nrrd"), options);
        QCOMPARE(result.status, 0);
        QCOMPARE(extentsOf(result.volume), extents);
        const std::string said = "- Output: " + std::to_string(extents[0]) + " x " +
                                 std::to_string(extents[1]) + " x " + std::to_string(extents[2]) +
                                 " voxels";
        QVERIFY2(result.out.find(said) != std::string::npos, result.out.c_str());
        QVector<int> alongZ;
        for (int z = 0; z < extents[2]; ++z)
            alongZ << result.volume.at(0, 0, z);
        QCOMPARE(alongZ, profile);
    }

    void exportsRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"v.nii.gz", "v.nii", "v.nrrd", "v.mha"})
            QTest::newRow(name) << name;
    }

    // x, y, z are the file's first three axes, the samples unchanged: back
    // in, they give the same volume.
    void exportsRoundTrip()
    {
        QFETCH(QString, name);
        TestFolder folder;
        SampleVolume volume(3, 4, 5);
        for (size_t i = 0; i < volume.samples.size(); ++i)
            volume.samples[i] = uint16_t(i * 61);
        QVERIFY(writeVolumeFile("v.dat", volume));
        QCOMPARE(convertFile("v.dat", {}, name.toStdString()).status, 0);
        QVERIFY(!QFile::exists(name + ".part"));
        const Converted back = convertFile(name.toStdString());
        QCOMPARE(back.status, 0);
        QCOMPARE(extentsOf(back.volume), (Extents{{3, 4, 5}}));
        QVERIFY(back.volume.samples == volume.samples);
    }
};

QTEST_GUILESS_MAIN(TestConvert)
#include "tst_convert.moc"
