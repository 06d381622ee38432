#include "app/filmdialog.h"

#include "app/filmwriter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

FilmDialog::FilmDialog(QSize viewSize, const QString& path, bool mp4, QWidget* parent)
    : QDialog(parent), m_frames(new QSpinBox), m_scale(new QComboBox), m_path(new QLineEdit(path))
{
    setWindowTitle(tr("Film speichern"));
    m_frames->setRange(2, 3600);
    m_frames->setValue(FilmOptions().frames);
    for (const int scale : {1, 2, 4}) {
        // An MP4 film's sides are even.
        const QSize size = viewSize * scale;
        const int even = mp4 ? ~1 : ~0;
        m_scale->addItem(
            tr("%1x: %2 x %3 Pixel").arg(scale).arg(size.width() & even).arg(size.height() & even),
            scale);
    }
    m_path->setMinimumWidth(m_path->fontMetrics().averageCharWidth() * 48);
    QPushButton* choose = new QPushButton(tr("&Wählen …"));
    connect(choose, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getSaveFileName(
            this, tr("Film speichern"), m_path->text(), tr("MP4-Filme (*.mp4)"), nullptr,
            QFileDialog::DontUseNativeDialog);
        if (!chosen.isEmpty())
            m_path->setText(chosen);
    });
    QHBoxLayout* file = new QHBoxLayout;
    file->addWidget(m_path);
    file->addWidget(choose);

    QFormLayout* form = new QFormLayout(this);
    form->addRow(tr("&Bilder einer Drehung:"), m_frames);
    form->addRow(tr("&Größe:"), m_scale);
    QLabel* fileLabel = new QLabel(tr("&Datei:"));
    fileLabel->setBuddy(m_path);
    form->addRow(fileLabel, file);
    QLabel* how = new QLabel(
        mp4 ? tr("Als MP4-Film (H.264), %1 Bilder je Sekunde.").arg(FilmWriter::kFramesPerSecond)
            : tr("ffmpeg ist nicht installiert: Die Bilder werden als nummerierte PNG-Dateien "
                 "in einen neuen Ordner geschrieben, der wie die Datei ohne Endung heißt."));
    how->setWordWrap(true);
    form->addRow(how);
    QDialogButtonBox* buttons =
        new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Save)->setText(tr("&Speichern"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("&Abbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_path, &QLineEdit::textChanged, this, [this, buttons] {
        buttons->button(QDialogButtonBox::Save)->setEnabled(!m_path->text().trimmed().isEmpty());
    });
    form->addRow(buttons);
}

FilmOptions FilmDialog::options() const
{
    FilmOptions options;
    options.path = m_path->text().trimmed();
    if (!options.path.endsWith(".mp4", Qt::CaseInsensitive))
        options.path += ".mp4";
    options.frames = m_frames->value();
    options.scale = m_scale->currentData().toInt();
    return options;
}
