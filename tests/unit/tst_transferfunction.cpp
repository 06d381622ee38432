// Transfer-function files: the reader's refusals, a file another tool wrote,
// the fuzz seeds and findings, the writers. The first table of a scan that
// is no CT, on histograms of a known background and object.

#include "tests/support/testfolder.h"
#include "tfeditor/histogrambackground.h"
#include "tfeditor/transferfunctionfile.h"
#include "tfeditor/transferpresets.h"

#include <QtTest>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// As another tool writes it: other key order and spacing, 1.0 and exponents,
// two points at one density, which keep their order.
const char kOther[] = R"({"points": [{"opacity": 1.0, "color": [255, 0, 0], "density": 2000},
  {"color": [0, 0, 255], "density": 1.2e3, "opacity": 2.5E-1},
  {"density": 1200, "color": [0, 0, 0], "opacity": 0}],
 "densityWindow": [1000.0, 3000], "kastra-transfer-function": 1})";
const TransferFunction kRead{
    1000, 3000, {{1200, .25, Qt::blue}, {1200, 0, {}}, {2000, 1, Qt::red}}};

// kOther with the first text replaced by the second, and the reader's line.
const char* const kRefusals[][3] = {
    {": 1}", ": 1, \"points\": 0}", "key \"points\" is repeated in one object"},
    {": 1}", ": 1, \"k\x01\": 0}", "not JSON: control character 0x01 at byte 255"},
    {"[1000.0, 3000]", "[900, 300]", "density window 900..300 is not lower < upper within 0..4095"},
    {"[1000.0, 3000]", "[0, 4096]", "density window 0..4096 is not lower < upper within 0..4095"},
    {"2000}", "3001}", "point 1: density 3001 is outside the window 1000..3000"},
    {"1200,", "999,", "point 3: density 999 is outside the window 1000..3000"},
    {"2000}", "2000.5}", "point 1: density 2000.5 is not an integer"},
    {"1.0,", "1.0000001,", "point 1: opacity 1.0000001 is outside 0..1"},
    {"1.0,", "\"1\",", "point 1: opacity \"1\" is not a number"},
    {"[255,", "[256,", "point 1: color [256,0,0] is not three integers 0..255"},
    {"\"opacity\": 0}", "\"opacity\": 0, \"size\": 1}", "point 3: unknown key \"size\""},
};

// Noise about density 100 (a bell to 60..140), then nothing up to an
// object spread evenly over 1000..1999, and `padding` filling more voxels
// than either (none where -1).
DensityHistogram scene(bool bell, int padding)
{
    DensityHistogram histogram{};
    for (int d = 60; d <= 140; ++d)
        histogram[size_t(d)] =
            bell ? int(100000 * std::exp(-(d - 100) * (d - 100) / 450.0)) : 50000;
    for (int d = 1000; d < 2000; ++d)
        histogram[size_t(d)] = 1000;
    if (padding >= 0)
        histogram[size_t(padding)] = 5000000;
    return histogram;
}

// The opacity the view gives `density`: the points joined by ramps between
// the window's transparent ends, a point winning its own density. A
// projection takes a density above the last point as that point's.
double opacityAt(const TransferFunction& function, int density, bool projection)
{
    if (projection)
        density = std::min(density, function.points.back().density);
    if (density < function.minDensity || density > function.maxDensity)
        return 0;
    std::vector<TransferPoint> points = function.points;
    points.insert(points.begin(), {function.minDensity, 0.0, {}});
    points.push_back({function.maxDensity, 0.0, {}});
    for (size_t i = points.size() - 1; i-- > 1;)
        if (points[i].density == density)
            return points[i].opacity;
    for (size_t i = 0; i + 1 < points.size(); ++i)
        if (points[i].density <= density && density < points[i + 1].density)
            return points[i].opacity + (points[i + 1].opacity - points[i].opacity) *
                                           (density - points[i].density) /
                                           (points[i + 1].density - points[i].density);
    return 0;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestTransferFunction : public QObject
{
    Q_OBJECT

private slots:
    // A refusal leaves the function as it was. Windows line ends are white
    // space; a file is read whole up to 64 KiB, and refused past it. Of the
    // fuzz seeds, good-* are taken and bad-* refused; each, and each finding,
    // passes the fuzz checks. The faults are in the window's language: German
    // as written, English from the program's translation.
    void theReader()
    {
        TransferFunction read;
        QString fault;
        QVERIFY(!parseTransferFunction("{}", read, fault));
        QCOMPARE(fault, QString("keine Transferfunktion von Kastra"));
        QTranslator english;
        QVERIFY(english.load(KASTRA_ENGLISH_QM));
        QCoreApplication::installTranslator(&english);
        QVERIFY(parseTransferFunction(QByteArray(kOther).replace("\n", "\r\n"), read, fault));
        for (const auto& [from, to, line] : kRefusals) {
            QCOMPARE(transferFunctionBytes(read), transferFunctionBytes(kRead));
            QVERIFY2(!parseTransferFunction(QByteArray(kOther).replace(from, to), read, fault), to);
            QCOMPARE(fault, QString(line));
        }
        TestFolder folder;
        folder.write("full.json", QByteArray(kOther).leftJustified(64 * 1024, ' '));
        folder.write("over.json", QByteArray(kOther).leftJustified(64 * 1024 + 1, ' '));
        QVERIFY(readTransferFunction("full.json", read, fault));
        QVERIFY(!readTransferFunction("over.json", read, fault));
        QCOMPARE(fault, QString("the file is larger than 64 KiB"));

        const QDir corpus(KASTRA_FUZZ_DIR "/corpus-tf");
        for (const QString& name : corpus.entryList(QDir::Files)) {
            const QByteArray bytes = contents(corpus.filePath(name));
            if (!name.startsWith("finding-"))
                QVERIFY2(readTransferFunction(corpus.filePath(name), read, fault) ==
                             name.startsWith("good-"),
                         qPrintable(name + ": " + fault));
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        }
    }

    // A second name for the old file keeps its bytes: the new file is
    // renamed over the old one rather than written into it. The preset holds
    // the table's transparent black and white ends at the window's ends.
    void theWriters()
    {
        TestFolder folder;
        folder.write("f.json", "old");
        QCOMPARE(::link("f.json", "g.json"), 0);
        QString fault;
        QVERIFY(writeTransferFunction("f.json", kRead, fault));
        QVERIFY(!writeTransferFunction("f.json", {0, 9, {{10, 0, Qt::red}}}, fault));
        QCOMPARE(contents("f.json") + contents("g.json"), transferFunctionBytes(kRead) + "old");

        // A point on the window's upper edge wins that entry over the white end point, and
        // densities outside the window stay transparent.
        QVERIFY(writeParaViewPreset("p", {100, 300, {{300, .5, {255, 51, 0}}}}, "B", fault));
        const QJsonObject p = QJsonDocument::fromJson(contents("p")).array()[0].toObject();
        QCOMPARE(p["Name"].toString() + p["ColorSpace"].toString(), QString("BRGB"));
        QCOMPARE(p["RGBPoints"].toArray(),
                 (QJsonArray{99, 0, 0, 0, 100, 0, 0, 0, 300, 1, .2, 0, 301, 1, 1, 1}));
        QCOMPARE(p["Points"].toArray(),
                 (QJsonArray{99, 0, .5, 0, 100, 0, .5, 0, 300, .5, .5, 0, 301, 0, .5, 0}));
    }

    // The background's peak (a bell at 100) is picked beside padding at
    // either end, fuller than it, however near. The object ramp leaves the
    // background (60..140, ending at a gap) and padding clear and shows the
    // object, its top at the object's 99.5th percentile: up to there in
    // Composite, all of it in the projections, which show denser samples as
    // the densest point. With no background the object shows from its least
    // density.
    void theObjectRampClearsTheBackground_data()
    {
        QTest::addColumn<int>("padding");
        QTest::newRow("no padding") << -1;
        QTest::newRow("padding far below") << 0;
        QTest::newRow("padding next to the noise") << 59;
        QTest::newRow("padding far above") << 4095;
    }

    void theObjectRampClearsTheBackground()
    {
        QFETCH(int, padding);
        const HistogramBackground found = findBackground(scene(true, padding));
        QCOMPARE(found.peak, 100);
        QCOMPARE(found.lowPadding, padding >= 0 && padding < 100 ? padding : -1);
        QCOMPARE(found.highPadding, padding > 100 ? padding : -1);
        const DensityHistogram histogram = scene(false, padding);
        for (const bool projection : {false, true}) {
            const TransferFunction function =
                projection ? opaqueObjectRampPreset(histogram) : objectRampPreset(histogram);
            for (int d = 60; d <= 140; ++d)
                QVERIFY2(opacityAt(function, d, projection) == 0, qPrintable(QString::number(d)));
            if (padding >= 0)
                QCOMPARE(opacityAt(function, padding, projection), 0.0);
            // 1994: 995 of the object's 1000 densities at or below it, the ramp's top.
            for (int d = 1000; d <= (projection ? 1999 : 1994); ++d)
                QVERIFY2(opacityAt(function, d, projection) > 0, qPrintable(QString::number(d)));
            QCOMPARE(opacityAt(function, 1994, projection), projection ? 1.0 : 0.3);
        }
        DensityHistogram object{};
        for (int d = 1000; d < 2000; ++d)
            object[size_t(d)] = 1000 + (d - 1000) / 10;
        QVERIFY(opacityAt(objectRampPreset(object), 1000, false) > 0);
    }
};

QTEST_GUILESS_MAIN(TestTransferFunction)
#include "tst_transferfunction.moc"
