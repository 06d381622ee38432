#pragma once

#include "app/ffmpegpipe.h"

#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class QImage;

// A film's frames written so that the film appears whole or not at all: an
// MP4 file through ffmpeg, or numbered PNG files (name_000.png, ...) in a new
// folder named as the file without its suffix. Either is written under a
// temporary name beside it and renamed at the end; a writer discarded or
// destroyed before that leaves nothing behind.
class FilmWriter
{
public:
    static constexpr int kFramesPerSecond = 30;

    // `path`: the MP4 file the user chose; `mp4`: whether ffmpeg writes it.
    FilmWriter(const QString& path, bool mp4);
    ~FilmWriter();

    // The film's path once committed: the MP4 file, or the PNG files' folder.
    QString target() const;
    // Frames of `size`; an MP4's are cut to even sides, as yuv420p needs.
    bool open(QSize size, int frames, QString& fault);
    bool add(const QImage& frame, QString& fault);
    bool commit(QString& fault);
    void discard();

private:
    QString m_path;
    bool m_mp4;
    QSize m_size;
    int m_digits = 3;
    int m_added = 0;
    std::unique_ptr<FfmpegPipe> m_ffmpeg;
    QString m_partial; // the MP4 file while ffmpeg writes it
    std::unique_ptr<QTemporaryDir> m_folder;
};
