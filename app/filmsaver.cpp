// Saving a film of a turn of the view (filmsaver.h).

#include "app/filmsaver.h"

#include "app/ffmpegpipe.h"
#include "app/filmdialog.h"
#include "app/filmwriter.h"
#include "app/usersettings.h"

#include "render/glwidget.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStandardPaths>

// The turn is about the view's vertical axis, after the drag's: the view
// keeps the drag's two angles, not an axis, and a turn about the vertical
// shows the volume as a horizontal drag from the unturned view does.
QString saveFilm(GLWidget* view, const FilmOptions& options, QWidget* parent, QString& fault)
{
    FilmWriter writer(options.path, !FfmpegPipe::program().isEmpty());
    if (options.frames < 1 || !writer.open(view->size() * options.scale, options.frames, fault))
        return {};
    QProgressDialog progress(QCoreApplication::translate("FilmSaver", "Film wird gespeichert …"),
                             QCoreApplication::translate("FilmSaver", "Abbrechen"), 0,
                             options.frames, parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.show();
    const double spin = view->camera().spin();
    bool written = true;
    for (int frame = 0; frame < options.frames && written && !progress.wasCanceled(); ++frame) {
        view->setSpin(spin + 360.0 * frame / options.frames);
        const QImage picture = view->renderPicture(options.scale, fault);
        written = !picture.isNull() && writer.add(picture, fault);
        progress.setValue(frame + 1);
        QCoreApplication::processEvents(); // the dialog's button, whatever it waited for
    }
    view->setSpin(spin);
    if (!written || progress.wasCanceled() || !writer.commit(fault)) {
        writer.discard();
        return {};
    }
    return writer.target();
}

QString saveFilmInteractively(QWidget* parent, GLWidget* view)
{
    const QString folder =
        userSettings()
            .value("filmFolder", QStandardPaths::writableLocation(QStandardPaths::MoviesLocation))
            .toString();
    FilmDialog dialog(view->size(), folder + "/kastra.mp4", !FfmpegPipe::program().isEmpty(),
                      parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const FilmOptions options = dialog.options();
    QString fault;
    const QString saved = saveFilm(view, options, parent, fault);
    if (!saved.isEmpty())
        userSettings().setValue("filmFolder", QFileInfo(options.path).absolutePath());
    else if (!fault.isEmpty())
        QMessageBox::warning(
            parent, QCoreApplication::translate("FilmSaver", "Film speichern fehlgeschlagen"),
            fault);
    return saved;
}
