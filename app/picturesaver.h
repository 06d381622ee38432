#pragma once

#include <QString>

class GLWidget;
class QWidget;

// Writes the view's picture at `scale` (1, 2, 4) times its size as a PNG
// file at `path`, through a temporary file renamed into place, so that a
// failed write leaves no file and an older one whole. False, and `fault`
// one line saying why, when the GL cannot draw it or the file cannot be
// written.
bool savePicture(GLWidget* view, const QString& path, int scale, QString& fault);

// "Bild speichern": asks where (a PNG file; ".png" is added where missing)
// and how large (1x, 2x or 4x the view, with their pixel sizes), saves the
// picture and warns when that fails. Returns the file written, or an empty
// string when nothing was.
QString savePictureInteractively(QWidget* parent, GLWidget* view);
