#pragma once

#include "app/filmsaver.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QSpinBox;

// "Film speichern": the number of frames, the size as a multiple of the
// view's (with its pixels) and the file, with a button that chooses it.
class FilmDialog : public QDialog
{
    Q_OBJECT

public:
    // `mp4`: whether ffmpeg is there; without it the dialog says where the
    // PNG files go instead.
    FilmDialog(QSize viewSize, const QString& path, bool mp4, QWidget* parent);

    // The path ends in ".mp4".
    FilmOptions options() const;

private:
    QSpinBox* m_frames;
    QComboBox* m_scale;
    QLineEdit* m_path;
};
