// The cache of converted scans (scancache.h).

#include "app/scancache.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>

ScanCache::ScanCache()
    : ScanCache(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/kastra")
{
}

ScanCache::ScanCache(const QString& folder) : m_folder(folder) {}

QString ScanCache::volumeFor(const QString& scan, const QStringList& options) const
{
    // A folder changes with any of its files: the converter reads them all
    // (not its subfolders).
    const QFileInfo info(scan);
    QFileInfoList parts{info};
    if (info.isDir())
        parts += QDir(scan).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(info.absoluteFilePath().toUtf8());
    for (const QFileInfo& part : parts)
        hash.addData(QString("\n%1 %2 %3")
                         .arg(part.fileName())
                         .arg(part.size())
                         .arg(part.lastModified().toMSecsSinceEpoch())
                         .toUtf8());
    hash.addData(("\n" + options.join('\n')).toUtf8());
    QString name = info.fileName();
    name.replace(QRegularExpression("[^A-Za-z0-9._-]"), "_");
    // Every volume of a scan is a folder of volume files.
    return m_folder + "/" + name + "-" + hash.result().toHex().left(16) +
           (options.contains("--all-volumes") ? ".volumes" : ".dat");
}

bool ScanCache::take(const QString& volume) const
{
    if (QFileInfo(volume).isDir())
        return true;
    QFile file(volume);
    return file.exists() && file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
}

namespace {

// The notes kept beside a volume: an empty file for each of the kind's
// flags (CT, patient axes); the converter's reason for its reading of the
// values, as its code line's JSON, and the voxel size ("0.5 0.5 2"), as
// text; the axes the user set the view by ("-y +x +z").
const char* const kNotes[] = {".ct", ".ras", ".why", ".mm", ".axes"};
constexpr int kAxesNote = 4;

// A kept volume's bytes; of a scan's every volume, those of its files.
qint64 bytesOf(const QFileInfo& volume)
{
    if (!volume.isDir())
        return volume.size();
    qint64 bytes = 0;
    for (const QFileInfo& file : QDir(volume.absoluteFilePath()).entryInfoList(QDir::Files))
        bytes += file.size();
    return bytes;
}

} // namespace

void ScanCache::setKind(const QString& volume, const ScanKind& kind) const
{
    const std::array<double, 3>& size = kind.voxelSize;
    const QString texts[] = {
        {},
        {},
        kind.reason.isEmpty() ? QString()
                              : QJsonDocument(kind.reason).toJson(QJsonDocument::Compact),
        size[0] > 0 ? QString("%1 %2 %3").arg(size[0]).arg(size[1]).arg(size[2]) : QString()};
    const bool noted[] = {kind.ct, kind.patientAxes, !texts[2].isEmpty(), !texts[3].isEmpty()};
    for (int i = 0; i < 4; ++i) {
        QFile note(volume + kNotes[i]);
        noted[i] ? void(note.open(QIODevice::WriteOnly)) : void(note.remove());
        if (note.isOpen())
            note.write(texts[i].toUtf8());
    }
}

ScanKind ScanCache::kind(const QString& volume) const
{
    const auto text = [&](int note) {
        QFile file(volume + kNotes[note]);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.read(65536)) : QString();
    };
    // A reason kept before the converter gave codes is its English text.
    const QString why = text(2);
    const QJsonDocument reason = QJsonDocument::fromJson(why.toUtf8());
    ScanKind kind{QFile::exists(volume + kNotes[0]),
                  QFile::exists(volume + kNotes[1]),
                  reason.isObject() || why.isEmpty() ? reason.object() : QJsonObject{{"text", why}},
                  {}};
    const QStringList size = text(3).split(' ');
    for (int axis = 0; axis < 3 && size.size() == 3; ++axis)
        kind.voxelSize[size_t(axis)] = std::max(size[axis].toDouble(), 0.0);
    return kind;
}

bool ScanCache::holds(const QString& volume) const
{
    return QFileInfo(volume).absoluteDir() == QDir(m_folder);
}

void ScanCache::setAxes(const QString& volume, const VolumeAxes& axes) const
{
    QFile note(volume + kNotes[kAxesNote]);
    if (axes.isFileAxes())
        note.remove();
    else if (note.open(QIODevice::WriteOnly))
        note.write(axes.text().toUtf8());
}

VolumeAxes ScanCache::axes(const QString& volume) const
{
    QFile note(volume + kNotes[kAxesNote]);
    return note.open(QIODevice::ReadOnly) ? VolumeAxes::fromText(QString::fromUtf8(note.read(64)))
                                          : VolumeAxes();
}

void ScanCache::trim(qint64 limit, const QString& spared) const
{
    QFileInfoList volumes =
        QDir(m_folder).entryInfoList({"*.dat", "*.volumes"}, QDir::Files | QDir::Dirs, QDir::Time);
    qint64 held = 0;
    for (const QFileInfo& volume : volumes)
        held += bytesOf(volume);
    // Newest first: the oldest are taken from the back.
    while (held > limit && !volumes.isEmpty()) {
        const QFileInfo oldest = volumes.takeLast();
        if (oldest.absoluteFilePath() == QFileInfo(spared).absoluteFilePath())
            continue;
        const qint64 bytes = bytesOf(oldest);
        if (oldest.isDir() ? QDir(oldest.absoluteFilePath()).removeRecursively()
                           : QFile::remove(oldest.absoluteFilePath()))
            held -= bytes;
        for (const char* note : kNotes)
            QFile::remove(oldest.absoluteFilePath() + note);
    }
}

int ScanCache::clear() const
{
    QDir folder(m_folder);
    const QStringList volumes = folder.entryList({"*.dat", "*.volumes"}, QDir::Files | QDir::Dirs);
    for (const QString& leftover : folder.entryList(
             {"*.part", "*.ct", "*.ras", "*.why", "*.mm", "*.axes"}, QDir::Files | QDir::Dirs))
        QFileInfo(folder.filePath(leftover)).isDir()
            ? QDir(folder.filePath(leftover)).removeRecursively()
            : folder.remove(leftover);
    return int(std::count_if(volumes.begin(), volumes.end(), [&](const QString& volume) {
        return folder.remove(volume) || QDir(folder.filePath(volume)).removeRecursively();
    }));
}
