// The dialog that opens a file or a folder (openfiledialog.h).

#include "app/openfiledialog.h"

#include "app/usersettings.h"

#include <QFileInfo>

OpenFileDialog::OpenFileDialog(QWidget* parent)
    : QFileDialog(parent, tr("Öffnen"), userSettings().value("scanFolder").toString(),
                  // DICOM files often have no extension at all.
                  tr("Alle Dateien (*)") + ";;" +
                      tr("Volumen und Scans (*.dat *.nii *.nii.gz *.nrrd *.nhdr *.mha *.mhd "
                         "*.dcm)"))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
}

void OpenFileDialog::accept()
{
    const QStringList selected = selectedFiles();
    const QString path = selected.value(0, directory().absolutePath());
    if (!QFileInfo::exists(path))
        return QFileDialog::accept(); // says what is missing
    QDialog::accept();
    // The folder the scan lies in: a DICOM folder's parent, where its siblings are.
    userSettings().setValue("scanFolder", QFileInfo(path).absolutePath());
    emit chosen(path);
}
