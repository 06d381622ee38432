#include "app/filmwriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <algorithm>
#include <cstdio>

FilmWriter::FilmWriter(const QString& path, bool mp4) : m_path(path), m_mp4(mp4) {}

FilmWriter::~FilmWriter()
{
    discard();
}

QString FilmWriter::target() const
{
    if (m_mp4)
        return m_path;
    const QFileInfo file(m_path);
    return file.dir().filePath(file.completeBaseName());
}

bool FilmWriter::open(QSize size, int frames, QString& fault)
{
    if (!QFileInfo(m_path).dir().exists()) {
        fault = QCoreApplication::translate("FilmWriter", "Den Ordner %1 gibt es nicht.")
                    .arg(QDir::toNativeSeparators(QFileInfo(m_path).absolutePath()));
        return false;
    }
    m_added = 0;
    m_digits = std::max(3, int(QString::number(std::max(frames - 1, 0)).size()));
    if (m_mp4) {
        m_size = QSize(size.width() & ~1, size.height() & ~1);
        if (m_size.isEmpty()) {
            fault = QCoreApplication::translate("FilmWriter",
                                                "Ein Film braucht mindestens 2 x 2 Pixel.");
            return false;
        }
        m_partial = m_path + ".part";
        m_ffmpeg = std::make_unique<FfmpegPipe>();
        return m_ffmpeg->start(m_partial, m_size, kFramesPerSecond, fault);
    }
    m_size = size;
    // A folder of the user's is never replaced.
    if (QFileInfo::exists(target())) {
        fault = QCoreApplication::translate("FilmWriter", "%1 gibt es schon.")
                    .arg(QDir::toNativeSeparators(target()));
        return false;
    }
    m_folder = std::make_unique<QTemporaryDir>(target() + ".part-XXXXXX");
    if (m_folder->isValid())
        return true;
    fault =
        QCoreApplication::translate("FilmWriter", "Der Ordner %1 kann nicht angelegt werden: %2.")
            .arg(QDir::toNativeSeparators(m_folder->path()), m_folder->errorString());
    return false;
}

bool FilmWriter::add(const QImage& frame, QString& fault)
{
    if (m_mp4) {
        const QImage cut = frame.copy(QRect(QPoint(), m_size))
                               .convertToFormat(frame.hasAlphaChannel() ? QImage::Format_RGBA8888
                                                                        : QImage::Format_RGBX8888);
        return m_ffmpeg->write(cut, fault);
    }
    const QString name = QString("%1_%2.png")
                             .arg(QFileInfo(target()).fileName())
                             .arg(m_added, m_digits, 10, QChar('0'));
    const QString path = QDir(m_folder->path()).filePath(name);
    if (!frame.save(path, "PNG")) {
        fault = QCoreApplication::translate("FilmWriter", "%1 kann nicht geschrieben werden.")
                    .arg(QDir::toNativeSeparators(path));
        return false;
    }
    ++m_added;
    return true;
}

bool FilmWriter::commit(QString& fault)
{
    if (m_mp4) {
        if (!m_ffmpeg->finish(fault))
            return false;
        // rename() replaces a file of that name in one step.
        if (std::rename(QFile::encodeName(m_partial), QFile::encodeName(m_path)) == 0) {
            m_partial.clear();
            return true;
        }
    } else if (QDir().rename(m_folder->path(), target())) {
        m_folder->setAutoRemove(false);
        m_folder.reset();
        return true;
    }
    fault = QCoreApplication::translate("FilmWriter", "%1 kann nicht geschrieben werden.")
                .arg(QDir::toNativeSeparators(target()));
    return false;
}

void FilmWriter::discard()
{
    if (m_ffmpeg)
        m_ffmpeg->kill();
    m_ffmpeg.reset();
    if (!m_partial.isEmpty())
        QFile::remove(m_partial);
    m_partial.clear();
    m_folder.reset(); // removes the folder and what it holds
}
