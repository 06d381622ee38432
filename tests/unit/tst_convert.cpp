// kastra-convert run as a process on small scans written with the toolkit's
// writers (NIfTI with the format's reference library): where a marker voxel
// lands under the orientation rule, the value mappings, the written grid,
// export round trips and the refusals. Expected positions and values are
// worked out by hand.

#include "tests/support/testfolder.h"
#include "volume/volumeloader.h"
#include "volume/volumewriter.h"

#include <QtTest>
#include <itkGDCMImageIO.h>
#include <itkImageFileWriter.h>
#include <itkImageSeriesWriter.h>
#include <itkMetaDataObject.h>
#include <itkMetaImageIO.h>
#include <itkNrrdImageIO.h>
#include <nifti2_io.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using Extents = std::array<int, 3>;
using Matrix = std::array<std::array<double, 3>, 3>; // columns: stored axes in LPS space

// Stored axes: i towards L, j towards P, k towards S...
const Matrix kAxial{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
// ...i towards P, j towards I, k towards L (left-handed)...
const Matrix kSagittalMirrored{{{0, 0, 1}, {1, 0, 0}, {0, -1, 0}}};
// ...i towards R, j towards I, k towards A.
const Matrix kCoronal{{{-1, 0, 0}, {0, 0, -1}, {0, -1, 0}}};

struct Scan
{
    Extents extents;
    std::array<double, 3> spacing{{1, 1, 1}};
    Matrix direction = kAxial;
    std::vector<float> values; // x fastest

    Scan(int w, int h, int d, float fill = 0) : extents{{w, h, d}}, values(size_t(w * h * d), fill)
    {
    }
};

template <class Pixel> typename itk::Image<Pixel, 3>::Pointer toolkitImage(const Scan& scan)
{
    using Image = itk::Image<Pixel, 3>;
    auto image = Image::New();
    const Extents& e = scan.extents;
    image->SetRegions(typename Image::SizeType{{size_t(e[0]), size_t(e[1]), size_t(e[2])}});
    image->SetSpacing(scan.spacing.data());
    image->SetDirection(
        typename Image::DirectionType(vnl_matrix_fixed<double, 3, 3>(scan.direction[0].data())));
    image->Allocate();
    std::copy(scan.values.begin(), scan.values.end(), image->GetBufferPointer());
    return image;
}

// .nrrd or .mha/.mhd, of int16 samples or float ones.
template <class Pixel> void writeToolkitFile(const Scan& scan, const std::string& path)
{
    auto writer = itk::ImageFileWriter<itk::Image<Pixel, 3>>::New();
    writer->SetImageIO(path.find(".nrrd") != std::string::npos
                           ? itk::ImageIOBase::Pointer(itk::NrrdImageIO::New())
                           : itk::MetaImageIO::New());
    writer->SetFileName(path);
    writer->SetInput(toolkitImage<Pixel>(scan));
    writer->Update();
}

// Int16 NIfTI-1 with the scan's direction as its sform (unless `frame` is
// false) and `volumes` volumes, volume v holding the values plus 1000 v.
void writeNifti(const Scan& scan, const std::string& path, bool frame = true, int volumes = 1)
{
    const Extents& e = scan.extents;
    const int64_t dims[8] = {volumes > 1 ? 4 : 3, e[0], e[1], e[2], volumes, 1, 1, 1};
    nifti_image* nim = nifti_make_new_nim(dims, DT_INT16, 1);
    for (size_t i = 0; i < size_t(nim->nvox); ++i)
        static_cast<int16_t*>(nim->data)[i] =
            int16_t(scan.values[i % scan.values.size()] + 1000 * (i / scan.values.size()));
    nim->dx = scan.spacing[0];
    nim->dy = scan.spacing[1];
    nim->dz = scan.spacing[2];
    for (size_t axis = 0; axis < 3; ++axis)
        for (size_t row = 0; row < 3; ++row) // RAS: the toolkit's x and y reversed
            nim->sto_xyz.m[row][axis] =
                scan.direction[row][axis] * scan.spacing[axis] * (row < 2 ? -1 : 1);
    nim->sform_code = frame ? NIFTI_XFORM_SCANNER_ANAT : 0;
    nifti_set_filenames(nim, path.c_str(), 0, 1);
    nifti_image_write(nim);
    nifti_image_free(nim);
}

// One series of int16 Hounsfield units, stored with the rescale intercept
// -1024, its files named against the slice order.
void writeDicomSeries(const Scan& scan, const std::string& folder, const std::string& uid,
                      const char* modality = "CT")
{
    using Volume = itk::Image<int16_t, 3>;
    std::filesystem::create_directories(folder);
    const auto image = toolkitImage<int16_t>(scan);
    const Matrix& d = scan.direction;
    std::ostringstream orientation, spacing;
    orientation << d[0][0] << "\\" << d[1][0] << "\\" << d[2][0] << "\\" << d[0][1] << "\\"
                << d[1][1] << "\\" << d[2][1];
    spacing << scan.spacing[1] << "\\" << scan.spacing[0];
    std::vector<std::string> names;
    std::vector<itk::MetaDataDictionary> slices(size_t(scan.extents[2]));
    itk::ImageSeriesWriter<Volume, itk::Image<int16_t, 2>>::DictionaryArrayType dictionaries;
    for (unsigned z = 0; z < slices.size(); ++z) {
        Volume::PointType p;
        image->TransformIndexToPhysicalPoint({{0, 0, z}}, p);
        std::ostringstream position;
        position << p[0] << "\\" << p[1] << "\\" << p[2];
        for (const auto& tag : std::map<std::string, std::string>{{"0020|000e", uid},
                                                                  {"0008|0060", modality},
                                                                  {"0020|0032", position.str()},
                                                                  {"0020|0037", orientation.str()},
                                                                  {"0028|0030", spacing.str()},
                                                                  {"0028|1052", "-1024"},
                                                                  {"0028|1053", "1"}})
            itk::EncapsulateMetaData<std::string>(slices[z], tag.first, tag.second);
        dictionaries.push_back(&slices[z]);
        names.push_back(folder + "/" + uid + "-" + std::to_string(slices.size() - z) + ".dcm");
    }
    auto io = itk::GDCMImageIO::New();
    io->KeepOriginalUIDOn(); // the series UID given above
    auto writer = itk::ImageSeriesWriter<Volume, itk::Image<int16_t, 2>>::New();
    writer->SetInput(image);
    writer->SetImageIO(io);
    writer->SetFileNames(names);
    writer->SetMetaDataDictionaryArray(&dictionaries);
    writer->Update();
}

// Writes the scan as `format` ("dicom", "nii.gz", "nii", "nii-noframe",
// "nii-noframe-4d", "nrrd", "nrrd-float"); returns its INPUT name.
QString writeScan(const Scan& scan, const QString& format)
{
    if (format == "dicom") {
        writeDicomSeries(scan, "series", "1.2.3.4");
        return "series";
    }
    const std::string name = "in." + format.section('-', 0, 0).toStdString();
    if (format.startsWith("nii"))
        writeNifti(scan, name, !format.contains("noframe"), format.endsWith("4d") ? 2 : 1);
    else if (format.endsWith("float"))
        writeToolkitFile<float>(scan, name);
    else
        writeToolkitFile<int16_t>(scan, name);
    return QString::fromStdString(name);
}

struct Run
{
    int status = -1;
    QString out, err;
    SampleVolume volume; // the written .dat
};

Run convert(const QStringList& arguments)
{
    QProcess process;
    process.start(KASTRA_CONVERT, arguments);
    process.waitForFinished(60000);
    Run run{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(),
            process.readAllStandardError(),
            {}};
    readVolumeSamples(arguments.value(1).toStdString(), run.volume);
    return run;
}

// Whether the run succeeded, its console line "- Output: W x H x D voxels of
// ..." says `output`, and W x H x D were written.
bool saysOutput(const Run& run, const QString& output)
{
    const SampleVolume& v = run.volume;
    return run.status == 0 && run.out.contains("- Output: " + output) &&
           output.startsWith(
               QString("%1 x %2 x %3 voxels").arg(v.width).arg(v.height).arg(v.depth));
}

void shorten(const std::string& path, int bytes)
{
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - uint64_t(bytes));
}

} // namespace

Q_DECLARE_METATYPE(Matrix)
Q_DECLARE_METATYPE(Extents)

class TestConvert : public QObject
{
    Q_OBJECT

private slots:
    // A 5 x 4 x 3 scan of 5 x 4 x 3 mm voxels, on its own grid, with one
    // marker voxel at stored (1, 1, 0): off every axis' centre, so that any
    // reversal shows. Written x runs left to right, y posterior to anterior,
    // z inferior to superior (RAS+); a stored axis pointing the other way is
    // read backwards; the spacing goes with its axis.
    void markerLandsWhereTheOrientationRulePutsIt_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<Matrix>("direction");
        QTest::addColumn<QString>("output"); // the "- Output:" line's rest
        QTest::addColumn<Extents>("marker");
        const QString stored = "5 x 4 x 3 voxels of 5 x 4 x 3 mm";
        // x = 2 - k (k runs to L); y = 4 - i (i runs to P); z = 3 - j (j runs
        // to I). Three reversals undo the mirror.
        QTest::newRow("DICOM sagittal") << "dicom" << kSagittalMirrored
                                        << "3 x 5 x 4 voxels of 3 x 5 x 4 mm" << Extents{{2, 3, 2}};
        QTest::newRow("NIfTI sagittal") << "nii" << kSagittalMirrored
                                        << "3 x 5 x 4 voxels of 3 x 5 x 4 mm" << Extents{{2, 3, 2}};
        // x = i (i runs to R); y = k (k runs to A); z = 3 - j.
        QTest::newRow("NIfTI coronal, gzip")
            << "nii.gz" << kCoronal << "5 x 3 x 4 voxels of 5 x 3 x 4 mm" << Extents{{1, 0, 2}};
        // No patient frame: the stored order.
        QTest::newRow("NIfTI without frame")
            << "nii-noframe" << kCoronal << stored << Extents{{1, 1, 0}};
        QTest::newRow("NRRD") << "nrrd" << kSagittalMirrored << stored << Extents{{1, 1, 0}};
    }

    void markerLandsWhereTheOrientationRulePutsIt()
    {
        QFETCH(QString, format);
        QFETCH(Matrix, direction);
        QFETCH(QString, output);
        QFETCH(Extents, marker);
        TestFolder folder;
        Scan scan(5, 4, 3, 100);
        scan.spacing = {{5, 4, 3}};
        scan.direction = direction;
        scan.values[1 + 5 * 1] = 900;
        const Run run = convert({writeScan(scan, format), "out.dat", "--keep-grid"});
        QVERIFY2(saysOutput(run, output), qPrintable(run.out + run.err));
        const std::vector<uint16_t>& samples = run.volume.samples; // all alike but the marker
        QCOMPARE(std::count(samples.begin(), samples.end(), samples[0]), long(samples.size() - 1));
        QVERIFY(run.volume.at(marker[0], marker[1], marker[2]) > samples[0]);
    }

    // A column of values in (one sample a row), a column of 12-bit samples
    // out, and the count of clamped ones.
    void valuesMapByTheFirstRuleThatApplies_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<std::vector<float>>("values");
        QTest::addColumn<std::vector<uint16_t>>("samples");
        QTest::addColumn<int>("clamped");
        using In = std::vector<float>;
        using Out = std::vector<uint16_t>;
        QTest::newRow("integers within 0..4095: unchanged")
            << "nrrd" << QStringList{} << In{0, 7, 4000} << Out{0, 7, 4000} << 0;
        QTest::newRow("up to 4095: unchanged")
            << "nrrd" << QStringList{} << In{1, 4095} << Out{1, 4095} << 0;
        QTest::newRow("integers outside: their range") // 100 / 400 * 4095 = 1023.75
            << "nrrd" << QStringList{} << In{-100, 0, 300} << Out{0, 1024, 4095} << 0;
        QTest::newRow("floats: their range")
            << "nrrd-float" << QStringList{} << In{0, 0.25f, 1} << Out{0, 1024, 4095} << 0;
        QTest::newRow("--ct: HU + 1024")
            << "nrrd" << QStringList{"--ct"} << In{-2000, -1024, 0, 3071, 3500}
            << Out{0, 0, 1024, 4095, 4095} << 2;
        QTest::newRow("CT series: HU + 1024, y read backwards (it runs to P)")
            << "dicom" << QStringList{} << In{-1024, 0, 2000} << Out{3024, 1024, 0} << 0;
        QTest::newRow("--window 0 4095 keeps and clamps")
            << "nrrd" << QStringList{"--window", "0", "4095"} << In{-5, 100, 4000, 5000}
            << Out{0, 100, 4000, 4095} << 2;
        QTest::newRow("--window -100 300")
            << "nrrd-float" << QStringList{"--window", "-100", "300"} << In{-100, 0, 300, 400}
            << Out{0, 1024, 4095, 4095} << 1;
        QTest::newRow("4-D NIfTI --volume 1: the values + 1000")
            << "nii-noframe-4d" << QStringList{"--volume", "1"} << In{1, 2} << Out{1001, 1002} << 0;
    }

    void valuesMapByTheFirstRuleThatApplies()
    {
        QFETCH(QString, format);
        QFETCH(QStringList, options);
        QFETCH(std::vector<float>, values);
        QFETCH(std::vector<uint16_t>, samples);
        QFETCH(int, clamped);
        TestFolder folder;
        Scan scan(1, int(values.size()), 1);
        scan.values = values;
        const Run run = convert(QStringList{writeScan(scan, format), "out.dat"} + options);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.volume.samples, samples);
        QVERIFY2(run.out.contains(QString(", %1 sample").arg(clamped)), qPrintable(run.out));
    }

    // Along z, slices of 0, 300, 600, stored in a NRRD (kept in its order)
    // with a direction the resampling must follow.
    void gridIsResampledToCubesOrShrunk_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<double>("sliceSpacing");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QVector<int>>("profile"); // along z at x = y = 0
        // 0.5 mm cubes: 2 x 1.5 mm / 0.5 mm + 1 = 7 slices, 100 apart.
        QTest::newRow("anisotropic: cubes")
            << QStringList{} << 1.5 << "2 x 2 x 7 voxels of 0.5 x 0.5 x 0.5 mm"
            << QVector<int>{0, 100, 200, 300, 400, 500, 600};
        QTest::newRow("--keep-grid")
            << QStringList{"--keep-grid"} << 1.5 << "2 x 2 x 3 voxels of 0.5 x 0.5 x 1.5 mm"
            << QVector<int>{0, 300, 600};
        // A 2.2 mm span holds four 0.5 mm steps, centred: 0.1 mm in, so at
        // 0.1, 0.6, 1.1, 1.6, 2.1 mm, 300 per 1.1 mm.
        QTest::newRow("cubes centred in the span")
            << QStringList{} << 1.1 << "2 x 2 x 5 voxels of 0.5 x 0.5 x 0.5 mm"
            << QVector<int>{27, 164, 300, 436, 573};
        // Blocks of 2: the third slice dropped; the average of 0 and 300.
        QTest::newRow("--shrink 2") << QStringList{"--shrink", "2", "--keep-grid"} << 1.5
                                    << "1 x 1 x 1 voxels of 1 x 1 x 3 mm" << QVector<int>{150};
    }

    void gridIsResampledToCubesOrShrunk()
    {
        QFETCH(QStringList, options);
        QFETCH(double, sliceSpacing);
        QFETCH(QString, output);
        QFETCH(QVector<int>, profile);
        TestFolder folder;
        Scan scan(2, 2, 3);
        scan.spacing = {{0.5, 0.5, sliceSpacing}};
        scan.direction = kSagittalMirrored;
        for (size_t i = 0; i < scan.values.size(); ++i)
            scan.values[i] = float(300 * (i / 4));
        const Run run = convert(QStringList{writeScan(scan, "nrrd"), "out.dat"} + options);
        QVERIFY2(saysOutput(run, output), qPrintable(run.out + run.err));
        QVector<int> alongZ;
        for (int z = 0; z < run.volume.depth; ++z)
            alongZ << run.volume.at(0, 0, z);
        QCOMPARE(alongZ, profile);
    }

    // x, y, z are the file's first three axes, the samples unchanged: back
    // in, they give the same volume.
    void exportsRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"v.nii.gz", "v.nii", "v.nrrd", "v.mha"})
            QTest::newRow(name) << name;
    }

    void exportsRoundTrip()
    {
        QFETCH(QString, name);
        TestFolder folder;
        SampleVolume volume(3, 4, 5);
        for (size_t i = 0; i < volume.samples.size(); ++i)
            volume.samples[i] = uint16_t(i * 61);
        QVERIFY(writeVolumeFile("v.dat", volume));
        QCOMPARE(convert({"v.dat", name}).status, 0);
        QVERIFY(!QFile::exists(name + ".part"));
        const Run back = convert({name, "back.dat"});
        QVERIFY(saysOutput(back, "3 x 4 x 5 voxels of 1 x 1 x 1 mm"));
        QVERIFY(back.volume.samples == volume.samples);
    }

    // Broken and refused inputs, written once.
    void initTestCase()
    {
        const Scan small(4, 3, 2, 50);
        writeToolkitFile<int16_t>(Scan(20, 20, 10), "long.nrrd");
        shorten("long.nrrd", 4000);
        writeToolkitFile<int16_t>(small, "short.nrrd");
        shorten("short.nrrd", 2);
        writeToolkitFile<int16_t>(small, "short.mhd");
        shorten("short.raw", 1);
        writeNifti(small, "short.nii");
        shorten("short.nii", 1);
        writeNifti(small, "4d.nii", true, 2);
        std::ofstream("vector.nrrd") << "NRRD0004\ntype: short\ndimension: 4\nsizes: 3 2 2 2\n"
                                        "kinds: vector domain domain domain\nencoding: raw\n"
                                        "endian: little\n\n"
                                     << std::string(48, '\0');
        Scan large(40000, 2, 1);
        large.spacing = {{2, 1, 1}};
        writeToolkitFile<int16_t>(large, "large.nrrd");
        writeToolkitFile<int16_t>(small, "small.nrrd");
        writeDicomSeries(small, "two", "1.2.3.1");
        writeDicomSeries(Scan(2, 2, 3), "two", "1.2.3.2");
    }

    // A refused or failed conversion exits with 1, says what failed and where
    // in one line on the error stream, and leaves OUTPUT as it was.
    void failuresLeaveOutputAlone_data()
    {
        QTest::addColumn<QStringList>("arguments"); // INPUT, OUTPUT, options
        QTest::addColumn<QString>("error");         // a part of the one line
        // Data attached to its header is checked against the whole file...
        QTest::newRow("NRRD far shorter than announced")
            << QStringList{"long.nrrd", "out.dat"}
            << "the header announces 8000 bytes of samples, 'long.nrrd'";
        // ...and a few bytes short, the reader finds it.
        QTest::newRow("NRRD a little shorter")
            << QStringList{"short.nrrd", "out.dat"} << "cannot convert 'short.nrrd': ";
        QTest::newRow("detached MetaImage data short")
            << QStringList{"short.mhd", "out.dat"} << "announces 48 bytes of samples";
        QTest::newRow("NIfTI shorter than announced")
            << QStringList{"short.nii", "out.dat"} << "announces 48 bytes of samples";
        QTest::newRow("three values a voxel")
            << QStringList{"vector.nrrd", "out.dat"} << "its voxels have 3 components";
        // Resampled to 1 mm cubes, 40000 voxels of 2 mm become 79999; in
        // blocks of 2, 20000 of 4 mm become 39999 of 2 mm.
        QTest::newRow("more than the program loads")
            << QStringList{"large.nrrd", "out.dat"} << "--shrink 2 writes 39999 x 1 x 1";
        QTest::newRow("a volume the 4-D file lacks")
            << QStringList{"4d.nii", "out.dat", "--volume", "2"} << "it holds volumes 0..1";
        QTest::newRow("two series, none chosen")
            << QStringList{"two", "out.dat"} << "choose one with --series UID";
        QTest::newRow("an export of a scan")
            << QStringList{"small.nrrd", "out.nii"} << "only a .dat INPUT exports";
    }

    void failuresLeaveOutputAlone()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        m_inputs.write(arguments[1].toStdString(), "old");
        const Run run = convert(arguments);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.startsWith("kastra-convert: ") && run.err.count('\n') == 1 &&
                     run.err.endsWith('\n') && run.err.contains(error),
                 qPrintable(run.err));
        QFile old(arguments[1]);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QVERIFY(!QFile::exists(arguments[1] + ".part"));
    }

    // Both series listed, then the chosen one converted; a wrong command
    // line exits with 2.
    void aSeriesIsChosenByItsUid()
    {
        QVERIFY(convert({"two", "out.dat"})
                    .out.contains("  1.2.3.1  \"\"  2 files\n  1.2.3.2  \"\"  3 files\n"));
        QVERIFY(saysOutput(convert({"two", "out.dat", "--series", "1.2.3.2"}),
                           "2 x 2 x 3 voxels of 1 x 1 x 1 mm"));
        QCOMPARE(convert({"two", "out.dat", "--bogus"}).status, 2);
    }

private:
    TestFolder m_inputs; // the working folder outside the tests' own
};

QTEST_GUILESS_MAIN(TestConvert)
#include "tst_convert.moc"
