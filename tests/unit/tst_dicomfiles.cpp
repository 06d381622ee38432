// The converter on DICOM files from many other writers: the test files that
// ship with pydicom (implicit and explicit VR, big endian, deflated, JPEG,
// JPEG-LS, JPEG 2000, RLE, colour, multi-frame, sequences of VR UN, reports,
// plans, damaged files). The walk before GDCM must pass every valid file;
// each file converts, its samples equal to the pixels pydicom decodes, or is
// refused in one line that says why.

#include "convert/dicom/dicomlengths.h"
#include "tests/support/testfolder.h"
#include "volume/volumeloader.h"

#include <QtTest>

#include <cmath>
#include <filesystem>
#include <map>
#include <vector>

namespace {

namespace fs = std::filesystem;

// pydicom_pixels.py with Debian's Python, whose pydicom the test command installs.
QString pydicom(const QStringList& arguments)
{
    QProcess process;
    process.start(KASTRA_PYTHON, QStringList{KASTRA_PYDICOM_SCRIPT} + arguments);
    process.waitForFinished(60000);
    return process.exitCode() == 0 ? QString(process.readAllStandardOutput()).trimmed() : "";
}

// The walk's problem with each damaged file (the rest must have none): cut
// short, an item running past the end, a data set shifted by a byte, an
// implicit data set under an explicit transfer syntax, no transfer syntax;
// and with the DICOM inputs the fuzz targets once failed on (a length GDCM
// would have allocated, or a place it would have read in another encoding).
const std::map<QString, QString> kDamaged{
    {"MR_truncated.dcm", "it holds 8130 bytes of pixel data, 8192 are announced"},
    {"rtplan_truncated.dcm", "its element (300a,00b0) states 976 bytes, 711 follow it"},
    {"DICOMDIR-nooffset", "its element (fffe,e000) states 248 bytes, 224 follow it"},
    {"no_meta.dcm", "its element (0820,0500) states 173228800 bytes, 38863 follow it"},
    {"SC_rgb_jpeg.dcm",
     "its element (0008,0008) has no value representation, which its encoding requires"},
    {"meta_missing_tsyntax.dcm", "its file meta information names no transfer syntax"},
    {"finding-delimiter-length", "its delimiter (fffe,e0dd) states 1912602624 bytes, not 0"},
    {"finding-implicit-item-length", "its element (fffe,e40d) stands where an element belongs"},
    {"finding-unknown-vr-length", "its element (0002,0010) states 775040561 bytes, 131 follow it"},
    {"finding-no-transfer-syntax", "its file meta information names no transfer syntax"},
    {"finding-syntax-undefined-length", "its file meta information names no transfer syntax"}};

// What converting each file does, the first row that names it: "" converts
// (with the file's pixels, or another file's, to compare, or none where
// pydicom decodes none), else a part of the one line of refusal. "placed"
// files are converted from a copy with a position added.
struct Outcome
{
    const char* said;
    std::vector<const char*> files;
};
const Outcome kOutcomes[] = {
    {"the file is damaged",
     {"MR_truncated.dcm", "SC_rgb_jpeg.dcm", "meta_missing_tsyntax.dcm", "rtplan_truncated.dcm"}},
    {"",
     {"CT_small.dcm", "MR_small*.dcm", "693_J2KI.dcm", "J2K_pixelrep_mismatch.dcm", "badVR.dcm",
      "dicomdirtests/98892001/CT5N"}},
    {"placed", {"JPEG2000.dcm", "image_dfl.dcm"}},
    {"colour images are not converted", {"ExplVR_BigEnd.dcm", "GDCMJ2K_TextGBR.dcm", "SC_*"}},
    {"states no image position and orientation", {"JPEG*", "JPGExtended.dcm"}},
    {"its pixels take 1 bits", {"liver*"}},
    {"GDCM failed on it (SIGABRT); the file may be damaged, or of a kind GDCM does not read",
     {"rtdose_*1frame.dcm"}},
    {"holds 15 frames without a position for each", {"rtdose*"}},
    {"the folder holds no DICOM series; left out 1 file that is not a DICOM image",
     {"*NoMeta.dcm", "UN_sequence.dcm", "empty_charset_LEI.dcm", "*priv_SQ.dcm", "no_meta*.dcm",
      "report*", "rtplan.dcm", "rtstruct.dcm", "test-SR.dcm", "waveform_ecg.dcm"}},
    {"its slices have different orientations", {"dicomdirtests/98892001/CT2N"}}};
const std::map<QString, QString> kComparedWith{{"MR_small_jpeg_ls_lossless.dcm", "MR_small.dcm"},
                                               {"badVR.dcm", ""}};

// Rescaled pixel values, frames of rows of columns.
struct Pixels
{
    int frames = 0, rows = 0, columns = 0;
    std::vector<double> values;
    double at(int f, int r, int c) const { return values[size_t((f * rows + r) * columns + c)]; }
};

Pixels decoded(const QStringList& files)
{
    Pixels pixels;
    pydicom(QStringList{"pixels", "pixels"} + files);
    QFile file("pixels");
    if (!file.open(QIODevice::ReadOnly))
        return pixels;
    const QList<QByteArray> shape = file.readLine().trimmed().split(' ');
    pixels.frames = shape.value(0).toInt();
    pixels.rows = shape.value(1).toInt();
    pixels.columns = shape.value(2).toInt();
    pixels.values.resize(size_t(pixels.frames) * pixels.rows * pixels.columns);
    file.read(reinterpret_cast<char*>(pixels.values.data()), qint64(8 * pixels.values.size()));
    return pixels;
}

// Whether the written samples are the pixels mapped from low..high onto
// 0..4095, within one, read in some order of the axes: the orientation rule
// has its own tests, these hold the decoding and the stacking.
bool samePicture(const SampleVolume& out, const Pixels& in, double low, double high)
{
    for (int way = 0; way < 16; ++way) {
        const bool across = way & 1; // rows written as columns
        const int columns = across ? in.rows : in.columns, rows = across ? in.columns : in.rows;
        bool same = out.width == columns && out.height == rows && out.depth == in.frames;
        for (int z = 0; same && z < out.depth; ++z)
            for (int y = 0; same && y < rows; ++y)
                for (int x = 0; same && x < columns; ++x) {
                    const int c = way & 2 ? columns - 1 - x : x, r = way & 4 ? rows - 1 - y : y;
                    const double value =
                        in.at(way & 8 ? in.frames - 1 - z : z, across ? c : r, across ? r : c);
                    const double expected =
                        std::clamp(std::round((value - low) / (high - low) * 4095), 0.0, 4095.0);
                    same = std::abs(out.at(x, y, z) - expected) <= 1;
                }
        if (same)
            return true;
    }
    return false;
}

} // namespace

class TestDicomFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(KASTRA_PYDICOM_FILES).isDir(),
                 "pydicom's test files are missing: tools/test.sh installs python3-pydicom");
    }

    // Every valid file passes, the fuzz targets' seeds too; the damaged ones,
    // and the fuzz findings, are refused for what is wrong with them.
    void theWalkPassesEveryValidFile()
    {
        QStringList wrong;
        for (const char* folder : {KASTRA_PYDICOM_FILES, KASTRA_FUZZ_DIR "/corpus-dicom"})
            for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
                const QString name = QString::fromStdString(entry.path().filename().string());
                if (!entry.is_regular_file() || name.startsWith("README") ||
                    QRegularExpression("\\.(txt|json|dump|gz)$").match(name).hasMatch())
                    continue;
                const QString problem =
                    QString::fromStdString(dicomLengthProblem(entry.path()).text());
                const auto damaged = kDamaged.find(name);
                if (problem != (damaged == kDamaged.end() ? "" : damaged->second))
                    wrong << name + ": \"" + problem + "\"";
            }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join('\n')));
    }

    void filesConvertOrAreRefusedInOneLine_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("said");
        const QDir folder(KASTRA_PYDICOM_FILES);
        QSet<QString> named;
        for (const Outcome& outcome : kOutcomes)
            for (const char* pattern : outcome.files) {
                const QStringList names = QString(pattern).contains('/')
                                              ? QStringList{pattern}
                                              : folder.entryList({pattern}, QDir::Files);
                QVERIFY2(!names.isEmpty(), pattern);
                for (const QString& name : names)
                    if (!named.contains(name)) {
                        named.insert(name);
                        QTest::newRow(qPrintable(name)) << folder.filePath(name) << outcome.said;
                    }
            }
    }

    void filesConvertOrAreRefusedInOneLine()
    {
        QFETCH(QString, path);
        QFETCH(QString, said);
        TestFolder folder;
        const QFileInfo source(path);
        QStringList files;
        fs::create_directory("in");
        if (said == "placed") {
            QVERIFY(!pydicom({"placed", "in/placed.dcm", path}).isNull());
            files << "in/placed.dcm";
            said.clear();
        } else {
            for (const QFileInfo& file :
                 source.isDir() ? QDir(path).entryInfoList(QDir::Files) : QFileInfoList{source}) {
                fs::copy_file(file.filePath().toStdString(), "in/" + file.fileName().toStdString());
                files << "in/" + file.fileName();
            }
        }
        Pixels pixels;
        const auto other = kComparedWith.find(source.fileName());
        if (said.isEmpty() && other == kComparedWith.end())
            pixels = decoded(files);
        else if (said.isEmpty() && !other->second.isEmpty())
            pixels = decoded({QDir(KASTRA_PYDICOM_FILES).filePath(other->second)});
        const auto range = std::minmax_element(pixels.values.begin(), pixels.values.end());
        // A file that converts is given alone, as a single file converts.
        QStringList arguments{said.isEmpty() && files.size() == 1 ? files[0] : "in", "out.dat",
                              "--keep-grid"};
        if (!pixels.values.empty() && *range.first < *range.second)
            arguments << "--window" << QString::number(*range.first, 'g', 17)
                      << QString::number(*range.second, 'g', 17);

        QProcess converter;
        converter.start(KASTRA_CONVERT, arguments);
        converter.waitForFinished(60000);
        const QString err = converter.readAllStandardError();
        if (!said.isEmpty()) {
            QCOMPARE(converter.exitCode(), 1);
            QVERIFY2(err.count('\n') == 1 && err.contains(said), qPrintable(err));
            return;
        }
        QVERIFY2(converter.exitCode() == 0 && err.isEmpty(), qPrintable(err));
        SampleVolume out;
        QCOMPARE(readVolumeSamples("out.dat", out), std::string());
        QVERIFY2(pixels.values.empty() || samePicture(out, pixels, *range.first, *range.second),
                 "the samples are not pydicom's pixels");
    }

    // Files pydicom writes: a palette's indices are no values, and a deflated data set is
    // inflated for the walk no further than the limit, here 1 MB of its 2.
    void paletteAndDeflateLimitsHold()
    {
        TestFolder folder;
        for (const char* kind : {"palette", "deflated"})
            pydicom({kind, QString(kind) + ".dcm", KASTRA_PYDICOM_FILES "/CT_small.dcm"});
        QProcess converter;
        converter.start(KASTRA_CONVERT, {"palette.dcm", "out.dat"});
        converter.waitForFinished(60000);
        const QString err = converter.readAllStandardError();
        QVERIFY2(converter.exitCode() == 1 && err.contains("its pixels are colour (PALETTE COLOR)"),
                 qPrintable(err));
        QCOMPARE(dicomLengthProblem("deflated.dcm").text(), std::string());
        QCOMPARE(dicomLengthProblem("deflated.dcm", 1 << 20).text(),
                 std::string("its deflated data set inflates to more than 1 MB"));
    }
};

QTEST_GUILESS_MAIN(TestDicomFiles)
#include "tst_dicomfiles.moc"
