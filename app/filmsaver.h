#pragma once

#include <QString>

class GLWidget;
class QWidget;

// A film of a full turn of the view (picturesaver.h saves a still picture).
struct FilmOptions
{
    QString path; // the MP4 file; without ffmpeg, the PNG files' folder is named after it
    int frames = 120;
    int scale = 1; // times the view's size
};

// Draws `frames` pictures of the view, each turned by 360 / frames degrees
// more about the view's vertical axis, the first the still picture (refined
// where the view refines), so that the film runs round without showing a
// frame twice; writes them (filmwriter.h) while a progress dialog over
// `parent` counts them, and leaves the view as it was. The film's path, or
// "" where it was cancelled (nothing written, `fault` empty) or failed
// (`fault` one line saying why).
QString saveFilm(GLWidget* view, const FilmOptions& options, QWidget* parent, QString& fault);

// "Film speichern": asks for the frames, the size and the file (filmdialog.h),
// saves the film and warns when that fails. The film's path, or "".
QString saveFilmInteractively(QWidget* parent, GLWidget* view);
