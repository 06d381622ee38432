#include "app/ffmpegpipe.h"

#include <QCoreApplication>
#include <QImage>
#include <QStandardPaths>
#include <QStringList>

namespace {

// ffmpeg takes a frame in well under this however slow the machine; longer
// is a hang, reported rather than waited out.
constexpr int kPatienceMs = 120000;

} // namespace

QString FfmpegPipe::program()
{
    return QStandardPaths::findExecutable("ffmpeg");
}

FfmpegPipe::~FfmpegPipe()
{
    kill();
}

bool FfmpegPipe::start(const QString& path, QSize size, int framesPerSecond, QString& fault)
{
    const QString ffmpeg = program();
    if (ffmpeg.isEmpty()) {
        fault = QCoreApplication::translate("FfmpegPipe", "ffmpeg ist nicht installiert.");
        return false;
    }
    m_process.setStandardOutputFile(QProcess::nullDevice());
    // The muxer named, as the file may carry a temporary suffix.
    m_process.start(ffmpeg, {"-hide_banner",
                             "-loglevel",
                             "error",
                             "-y",
                             "-f",
                             "rawvideo",
                             "-pix_fmt",
                             "rgba",
                             "-s",
                             QString("%1x%2").arg(size.width()).arg(size.height()),
                             "-framerate",
                             QString::number(framesPerSecond),
                             "-i",
                             "-",
                             "-c:v",
                             "libx264",
                             "-pix_fmt",
                             "yuv420p",
                             "-f",
                             "mp4",
                             path});
    if (m_process.waitForStarted(kPatienceMs))
        return true;
    fault = QCoreApplication::translate("FfmpegPipe", "ffmpeg lässt sich nicht starten: %1.")
                .arg(m_process.errorString());
    return false;
}

bool FfmpegPipe::write(const QImage& frame, QString& fault)
{
    // Rows of four bytes a pixel are never padded: the frame is one block.
    m_process.write(reinterpret_cast<const char*>(frame.constBits()), frame.sizeInBytes());
    // Written before the next, so that no more than a frame waits in memory.
    while (m_process.bytesToWrite() > 0)
        if (!m_process.waitForBytesWritten(kPatienceMs)) {
            fault = failure();
            return false;
        }
    return true;
}

bool FfmpegPipe::finish(QString& fault)
{
    m_process.closeWriteChannel();
    if (m_process.waitForFinished(kPatienceMs) && m_process.exitStatus() == QProcess::NormalExit &&
        m_process.exitCode() == 0)
        return true;
    fault = failure();
    kill();
    return false;
}

void FfmpegPipe::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
}

QString FfmpegPipe::failure()
{
    const QStringList lines =
        QString::fromLocal8Bit(m_process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    return QCoreApplication::translate("FfmpegPipe", "ffmpeg kann den Film nicht schreiben: %1")
        .arg(lines.isEmpty() ? m_process.errorString() : lines.last());
}
