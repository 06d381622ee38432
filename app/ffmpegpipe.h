#pragma once

#include <QProcess>
#include <QSize>
#include <QString>

class QImage;

// ffmpeg as a child process that encodes the frames piped to it as H.264
// in an MP4 file: raw RGBA frames in, yuv420p out, so that any player shows
// it. The colours are taken as they are, the alpha channel dropped.
class FfmpegPipe
{
public:
    // ffmpeg's path on the PATH, or "" where it is not installed.
    static QString program();

    ~FfmpegPipe();

    // Starts ffmpeg writing `path` (replaced where it exists) from frames of
    // `size`, both sides even, at `framesPerSecond`.
    bool start(const QString& path, QSize size, int framesPerSecond, QString& fault);
    // One frame of the size started with, RGBA or RGBX.
    bool write(const QImage& frame, QString& fault);
    // Ends the input and waits until ffmpeg has written the file.
    bool finish(QString& fault);
    // Ends ffmpeg at once; what it wrote is left for the caller to remove.
    void kill();

private:
    QString failure(); // ffmpeg's last line on standard error, as a fault

    QProcess m_process;
};
