#pragma once

#include <QFileDialog>

// "Öffnen…": Qt's own file dialog (the platform's would enter a folder
// instead of opening it), where "Öffnen" takes the selected file or folder
// (a DICOM series is a folder), or the folder shown when nothing is
// selected; a double click still enters a folder.
class OpenFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    explicit OpenFileDialog(QWidget* parent);

signals:
    void chosen(const QString& path);

protected:
    void accept() override;
};
