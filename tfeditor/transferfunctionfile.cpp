#include "tfeditor/transferfunctionfile.h"

#include "volume/volumedata.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

const QString kVersionKey = QStringLiteral("kastra-transfer-function");
const QString kWindowKey = QStringLiteral("densityWindow");
const QString kPointsKey = QStringLiteral("points");

// The faults' texts, in the window's language.
struct TransferFunctionFile
{
    Q_DECLARE_TR_FUNCTIONS(TransferFunctionFile)
};
constexpr double kVersion = 1;
constexpr int kSpellingLimit = 40;

// A value as JSON spells it, cut short where long, for a fault line.
QString spelling(const QJsonValue& value)
{
    const QByteArray json = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    const QString text = QString::fromUtf8(json.mid(1, json.size() - 2));
    return text.size() <= kSpellingLimit ? text : text.left(kSpellingLimit - 3) + "...";
}

// JSON knows numbers only: an integer is a number without a fraction.
bool isInteger(const QJsonValue& value)
{
    return value.isDouble() && std::floor(value.toDouble()) == value.toDouble();
}

bool isByte(const QJsonValue& value)
{
    return isInteger(value) && value.toDouble() >= 0 && value.toDouble() <= 255;
}

// A key named twice in one object, as Qt decodes keys; empty if none. Qt's
// parser keeps the last of the values and drops the others, and in Qt 5.15
// leaks a dropped array or object: such a file is refused before Qt reads it.
QString repeatedKey(const QByteArray& bytes)
{
    std::vector<std::optional<QSet<QString>>> open; // an object's keys; none for an array
    for (int i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '{' || bytes[i] == '[') {
            open.push_back(bytes[i] == '{' ? std::optional(QSet<QString>()) : std::nullopt);
        } else if ((bytes[i] == '}' || bytes[i] == ']') && !open.empty()) {
            open.pop_back();
        } else if (bytes[i] == '"') {
            const int start = i;
            for (++i; i < bytes.size() && bytes[i] != '"'; ++i)
                i += bytes[i] == '\\';
            const QByteArray literal = bytes.mid(start, i + 1 - start);
            int next = i + 1;
            while (next < bytes.size() && QByteArrayLiteral(" \t\r\n").contains(bytes[next]))
                ++next;
            if (open.empty() || !open.back() || next >= bytes.size() || bytes[next] != ':')
                continue;
            const QJsonArray decoded = QJsonDocument::fromJson("[" + literal + "]").array();
            const QString key =
                decoded.isEmpty() ? QString::fromUtf8(literal) : decoded[0].toString();
            if (open.back()->contains(key))
                return key;
            open.back()->insert(key);
        }
    }
    return {};
}

// The offset of the first control character JSON does not allow (any but
// white space), or -1. Qt's parser takes them inside strings and in 5.15
// compares keys only up to a raw NUL, so that two different keys count as
// one and the dropped value leaks.
int controlCharacterAt(const QByteArray& bytes)
{
    for (int i = 0; i < bytes.size(); ++i)
        if (uchar(bytes[i]) < 0x20 && !QByteArrayLiteral("\t\r\n").contains(bytes[i]))
            return i;
    return -1;
}

// Every key of `object` must be one of `known`, and present: a file whose
// meaning is unclear is refused rather than read in part.
QString keyFault(const QJsonObject& object, const QStringList& known, const QString& where)
{
    for (const QString& key : object.keys())
        if (!known.contains(key))
            return where + TransferFunctionFile::tr("unbekannter Schlüssel %1").arg(spelling(key));
    for (const QString& key : known)
        if (!object.contains(key))
            return where + TransferFunctionFile::tr("\"%1\" fehlt").arg(key);
    return {};
}

QString readPoint(const QJsonValue& value, int number, const TransferFunction& function,
                  TransferPoint& point)
{
    const QString where = TransferFunctionFile::tr("Punkt %1: ").arg(number);
    if (!value.isObject())
        return where + TransferFunctionFile::tr("%1 ist kein Objekt").arg(spelling(value));
    const QJsonObject object = value.toObject();
    const QString fault = keyFault(object, {"density", "opacity", "color"}, where);
    if (!fault.isEmpty())
        return fault;

    const QJsonValue density = object["density"];
    if (!isInteger(density))
        return where +
               TransferFunctionFile::tr("Dichte %1 ist keine ganze Zahl").arg(spelling(density));
    if (density.toDouble() < function.minDensity || density.toDouble() > function.maxDensity)
        return where + TransferFunctionFile::tr("Dichte %1 liegt außerhalb des Fensters %2..%3")
                           .arg(spelling(density))
                           .arg(function.minDensity)
                           .arg(function.maxDensity);
    const QJsonValue opacity = object["opacity"];
    if (!opacity.isDouble())
        return where +
               TransferFunctionFile::tr("Opazität %1 ist keine Zahl").arg(spelling(opacity));
    if (!(opacity.toDouble() >= 0 && opacity.toDouble() <= 1))
        return where + TransferFunctionFile::tr("Opazität %1 liegt außerhalb von 0..1")
                           .arg(spelling(opacity));
    const QJsonArray color = object["color"].toArray();
    if (color.size() != 3 || !std::all_of(color.begin(), color.end(), isByte))
        return where + TransferFunctionFile::tr("Farbe %1 ist nicht drei ganze Zahlen 0..255")
                           .arg(spelling(object["color"]));

    point.density = density.toInt();
    point.opacity = opacity.toDouble();
    point.color = QColor(color[0].toInt(), color[1].toInt(), color[2].toInt());
    return {};
}

// The fault of a file, or empty when `function` holds what it says.
QString readFunction(const QByteArray& bytes, TransferFunction& function)
{
    if (bytes.size() > kTransferFileLimit)
        return TransferFunctionFile::tr("die Datei ist größer als %1 KiB")
            .arg(kTransferFileLimit / 1024);
    const int control = controlCharacterAt(bytes);
    if (control >= 0)
        return TransferFunctionFile::tr("kein JSON: Steuerzeichen 0x%1 bei Byte %2")
            .arg(uchar(bytes[control]), 2, 16, QLatin1Char('0'))
            .arg(control);
    const QString repeated = repeatedKey(bytes);
    if (!repeated.isNull())
        return TransferFunctionFile::tr("Schlüssel %1 steht zweimal in einem Objekt")
            .arg(spelling(repeated));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return TransferFunctionFile::tr("kein JSON: %1 bei Byte %2")
            .arg(error.errorString())
            .arg(error.offset);
    const QJsonObject object = document.object();
    if (!document.isObject() || !object.contains(kVersionKey))
        return TransferFunctionFile::tr("keine Transferfunktion von Kastra");

    const QJsonValue version = object[kVersionKey];
    if (isInteger(version) && version.toDouble() > kVersion)
        return TransferFunctionFile::tr("Version %1 ist neuer, als dieses Programm liest")
            .arg(spelling(version));
    if (version.toDouble() != kVersion)
        return TransferFunctionFile::tr("Version %1 ist keine Version dieses Formats")
            .arg(spelling(version));
    QString fault = keyFault(object, {kVersionKey, kWindowKey, kPointsKey}, {});
    if (!fault.isEmpty())
        return fault;

    const QJsonArray window = object[kWindowKey].toArray();
    if (window.size() != 2 || !isInteger(window[0]) || !isInteger(window[1]))
        return TransferFunctionFile::tr("Dichtefenster %1 ist nicht zwei ganze Zahlen")
            .arg(spelling(object[kWindowKey]));
    const double lo = window[0].toDouble(), hi = window[1].toDouble();
    if (!(lo >= 0 && lo < hi && hi <= kMaxDensity))
        return TransferFunctionFile::tr("Dichtefenster %1..%2 ist nicht untere < obere in 0..%3")
            .arg(spelling(window[0]), spelling(window[1]))
            .arg(kMaxDensity);
    function.minDensity = int(lo);
    function.maxDensity = int(hi);

    if (!object[kPointsKey].isArray())
        return TransferFunctionFile::tr("points %1 ist keine Liste")
            .arg(spelling(object[kPointsKey]));
    const QJsonArray points = object[kPointsKey].toArray();
    if (points.isEmpty() || points.size() > kMaxTransferPoints)
        return TransferFunctionFile::tr("es sind %1 Punkte, nicht 1..%2")
            .arg(points.size())
            .arg(kMaxTransferPoints);
    for (int i = 0; i < points.size(); ++i) {
        TransferPoint point;
        fault = readPoint(points[i], i + 1, function, point);
        if (!fault.isEmpty())
            return fault;
        function.points.push_back(point);
    }
    std::stable_sort(
        function.points.begin(), function.points.end(),
        [](const TransferPoint& a, const TransferPoint& b) { return a.density < b.density; });
    return {};
}

QJsonArray colorArray(const QColor& color)
{
    return {color.red(), color.green(), color.blue()};
}

// Writes through QSaveFile, which renames its temporary file over `path` only
// once every byte is written.
bool saveBytes(const QString& path, const QByteArray& bytes, QString& fault)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    fault = TransferFunctionFile::tr("die Datei kann nicht geschrieben werden: %1")
                .arg(file.errorString());
    return false;
}

// The function as the reader would return it from its file: the writers
// refuse what the reader would refuse, in the reader's words.
bool checkedFunction(const TransferFunction& function, TransferFunction& checked, QString& fault)
{
    return parseTransferFunction(transferFunctionBytes(function), checked, fault);
}

} // namespace

bool parseTransferFunction(const QByteArray& bytes, TransferFunction& function, QString& fault)
{
    TransferFunction read;
    fault = readFunction(bytes, read);
    if (!fault.isEmpty())
        return false;
    function = std::move(read);
    return true;
}

bool readTransferFunction(const QString& path, TransferFunction& function, QString& fault)
{
    QFile file(path);
    // One byte past the limit tells a larger file, or an endless one.
    const QByteArray bytes =
        file.open(QIODevice::ReadOnly) ? file.read(kTransferFileLimit + 1) : QByteArray();
    if (file.error() != QFileDevice::NoError) {
        fault = TransferFunctionFile::tr("die Datei kann nicht gelesen werden: %1")
                    .arg(file.errorString());
        return false;
    }
    return parseTransferFunction(bytes, function, fault);
}

QByteArray transferFunctionBytes(const TransferFunction& function)
{
    QByteArray bytes = "{\n    \"" + kVersionKey.toUtf8() + "\": 1,\n    \"" + kWindowKey.toUtf8() +
                       "\": [" + QByteArray::number(function.minDensity) + ", " +
                       QByteArray::number(function.maxDensity) + "],\n    \"" +
                       kPointsKey.toUtf8() + "\": [";
    for (size_t i = 0; i < function.points.size(); ++i) {
        const TransferPoint& p = function.points[i];
        const QJsonObject point{
            {"density", p.density}, {"opacity", p.opacity}, {"color", colorArray(p.color)}};
        bytes += (i == 0 ? "\n        " : ",\n        ") +
                 QJsonDocument(point).toJson(QJsonDocument::Compact);
    }
    return bytes + "\n    ]\n}\n";
}

bool writeTransferFunction(const QString& path, const TransferFunction& function, QString& fault)
{
    TransferFunction checked;
    return checkedFunction(function, checked, fault) &&
           saveBytes(path, transferFunctionBytes(function), fault);
}

bool writeParaViewPreset(const QString& path, const TransferFunction& function, const QString& name,
                         QString& fault)
{
    TransferFunction checked;
    if (!checkedFunction(function, checked, fault))
        return false;
    // The table's own end points (transfertable.cpp) first and last, so that
    // the ramps come out the same; a point of the function on the window's
    // edge wins that entry, as it does in the table. Transparent points just
    // outside keep ParaView, which holds its end values beyond the last
    // point, from showing densities outside the window.
    std::vector<TransferPoint> points = checked.points;
    const int lo = checked.minDensity, hi = checked.maxDensity;
    if (points.front().density != lo)
        points.insert(points.begin(), {lo, 0.0, QColor(0, 0, 0)});
    if (points.back().density != hi)
        points.push_back({hi, 0.0, QColor(255, 255, 255)});
    points.insert(points.begin(), {lo - 1, 0.0, QColor(0, 0, 0)});
    points.push_back({hi + 1, 0.0, QColor(255, 255, 255)});
    QJsonArray colors, opacities;
    for (const TransferPoint& p : points) {
        colors << p.density << p.color.red() / 255.0 << p.color.green() / 255.0
               << p.color.blue() / 255.0;
        // ParaView's midpoint 0.5 and sharpness 0 make the ramp linear.
        opacities << p.density << p.opacity << 0.5 << 0.0;
    }
    const QJsonObject preset{
        {"Name", name}, {"ColorSpace", "RGB"}, {"RGBPoints", colors}, {"Points", opacities}};
    return saveBytes(path, QJsonDocument(QJsonArray{preset}).toJson(), fault);
}
