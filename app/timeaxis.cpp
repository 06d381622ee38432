// The time row of a scan of several volumes (timeaxis.h).

#include "app/timeaxis.h"

#include "platform/console.h"
#include "render/glwidget.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>

#include <ostream>

namespace {

// Playback asks for a step this often; a step whose volume is still being
// read waits for the next tick, so the window never waits on the disk.
constexpr int kPlayIntervalMs = 100;

} // namespace

TimeAxis::TimeAxis(GLWidget* view, QStatusBar* status)
    : QObject(status), m_view(view), m_row(new QWidget), m_play(new QToolButton),
      m_slider(new QSlider(Qt::Horizontal)), m_number(new QLabel)
{
    QHBoxLayout* layout = new QHBoxLayout(m_row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_play->setCheckable(true);
    m_play->setAutoRaise(true);
    m_play->setIcon(m_play->style()->standardIcon(QStyle::SP_MediaPlay));
    m_play->setText(tr("Abspielen"));
    m_play->setToolTip(tr("Die Volumen der Reihe nach zeigen, am Ende wieder von vorn"));
    m_slider->setToolTip(tr("Volumen der Zeitreihe: Transferfunktion, Kamera und Schnitt bleiben"));
    m_slider->setMinimumWidth(160);
    m_number->setToolTip(tr("Gezeigtes Volumen / Anzahl der Volumen"));
    layout->addWidget(m_play);
    layout->addWidget(m_slider, 1);
    layout->addWidget(m_number);
    // Never taller than the bar's own line, so that showing it moves nothing.
    m_row->setMaximumHeight(status->sizeHint().height());
    m_row->hide();
    status->insertPermanentWidget(0, m_row, 1);

    connect(m_slider, &QSlider::valueChanged, this, &TimeAxis::show);
    connect(m_play, &QToolButton::toggled, this, [this](bool playing) {
        m_play->setIcon(
            m_play->style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
        playing ? m_player.start(kPlayIntervalMs) : m_player.stop();
    });
    connect(&m_player, &QTimer::timeout, this, &TimeAxis::playStep);
}

QString TimeAxis::open(const QString& folder)
{
    close();
    const QDir files(folder);
    for (const QString& name : files.entryList({"*.dat"}, QDir::Files, QDir::Name))
        m_files << files.filePath(name);
    if (m_files.isEmpty())
        return {};
    m_current = 0;
    {
        const QSignalBlocker quiet(m_slider);
        m_slider->setRange(0, count() - 1);
        m_slider->setValue(0);
    }
    m_number->setText(QString("1 / %1").arg(count()));
    m_row->show();
    m_ahead.request(QFile::encodeName(m_files[next()]).toStdString(), shownFactor());
    return m_files.first();
}

// Every step is read at the level the first is shown at.
int TimeAxis::shownFactor() const
{
    return m_view->volume().level.factor;
}

void TimeAxis::close()
{
    m_play->setChecked(false);
    m_files.clear();
    m_row->hide();
}

void TimeAxis::show(int index)
{
    if (index < 0 || index >= count() || index == m_current)
        return;
    VolumeData volume;
    const std::string path = QFile::encodeName(m_files[index]).toStdString();
    std::string error = m_ahead.take(path, shownFactor(), volume);
    if (error.empty() && !m_view->showTimeStep(volume))
        error = "its extents differ from the volume's on show";
    if (!error.empty()) {
        console::err() << "Could not read time step " << path << ": " << error << std::endl;
        const QSignalBlocker quiet(m_slider);
        m_slider->setValue(m_current);
        return;
    }
    m_current = index;
    m_number->setText(QString("%1 / %2").arg(index + 1).arg(count()));
    m_ahead.request(QFile::encodeName(m_files[next()]).toStdString(), shownFactor());
    emit stepped();
}

void TimeAxis::playStep()
{
    if (m_ahead.ready())
        m_slider->setValue(next());
}
