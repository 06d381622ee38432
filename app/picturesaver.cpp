// Saving a picture of the view (picturesaver.h).

#include "app/picturesaver.h"

#include "app/usersettings.h"

#include "render/glwidget.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QInputDialog>
#include <QMessageBox>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

bool savePicture(GLWidget* view, const QString& path, int scale, QString& fault)
{
    const QImage picture = view->renderPicture(scale, fault);
    if (picture.isNull())
        return false;
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && picture.save(&file, "PNG") && file.commit())
        return true;
    fault = QCoreApplication::translate("PictureSaver", "%1 kann nicht geschrieben werden: %2.")
                .arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
}

QString savePictureInteractively(QWidget* parent, GLWidget* view)
{
    const QString folder =
        userSettings()
            .value("pictureFolder",
                   QStandardPaths::writableLocation(QStandardPaths::PicturesLocation))
            .toString();
    QString path = QFileDialog::getSaveFileName(
        parent, QCoreApplication::translate("PictureSaver", "Bild speichern"),
        folder + "/kastra.png", QCoreApplication::translate("PictureSaver", "PNG-Bilder (*.png)"),
        nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return {};
    if (!path.endsWith(".png", Qt::CaseInsensitive))
        path += ".png";

    const int scales[] = {1, 2, 4};
    QStringList sizes;
    for (const int scale : scales)
        sizes << QCoreApplication::translate("PictureSaver", "%1x: %2 x %3 Pixel")
                     .arg(scale)
                     .arg(view->width() * scale)
                     .arg(view->height() * scale);
    bool chosen = false;
    const QString size = QInputDialog::getItem(
        parent, QCoreApplication::translate("PictureSaver", "Größe"),
        QCoreApplication::translate("PictureSaver", "Größe des Bildes:"), sizes, 0, false, &chosen);
    if (!chosen)
        return {};

    QString fault;
    if (savePicture(view, path, scales[sizes.indexOf(size)], fault)) {
        userSettings().setValue("pictureFolder", QFileInfo(path).absolutePath());
        return path;
    }
    QMessageBox::warning(
        parent, QCoreApplication::translate("PictureSaver", "Bild speichern fehlgeschlagen"),
        fault);
    return {};
}
