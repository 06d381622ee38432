#pragma once

#include "app/scankind.h"
#include "app/transfertarget.h"
#include "ui_mainwindow.h"

#include <QMainWindow>

class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QKeyEvent;
class QResizeEvent;
class FourPanes;
class RecentFiles;
class ScanOpener;
class TimeAxis;
class TransferHistory;
class TransferMenu;
class ViewMenu;
class ViewReadout;

// The program's main window: the file list and load button, the density and
// slicing controls, the histogram editor and the GL view, all from the form.
// It keeps the two density spin boxes, the histogram and the view on one
// density window, and the slice slider's range on the chosen axis.
class MainWindow : public QMainWindow, public Ui_MainWindow, public TransferTarget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Window);
    ~MainWindow() override;

    // Opens a volume file as the list does, or a scan the converter reads
    // (a DICOM folder or file, NIfTI, NRRD, MetaImage), converted in a
    // child process (scanopener.h): the volume joins the list, is selected
    // and loads as from it. A scan that cannot be opened leaves everything
    // as it was.
    void openPath(const QString& path);

    // The editor's transfer function by density, and one put in its place:
    // the density window set, the points placed on the editor, the view
    // repainted with it.
    TransferFunction transferFunction() const override;
    void applyTransferFunction(const TransferFunction& function) override;
    const DensityHistogram& densityHistogram() const override
    {
        return m_glWidget->volume().histogram;
    }
    TransferMenu* transferMenu() const { return m_transferMenu; }

public slots:
    // Loads the first selected file of the list into the view and hands its
    // histogram to the editor: an entry of dat/ by its name, one that was
    // opened by its path. Without a selection it does nothing.
    void loadFile();
    void setMinDensity(int density);
    void setMaxDensity(int density);
    void setXAxis();
    void setYAxis();
    void setZAxis();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Where a volume on the list came from, where the converter made it:
    // the scan, and the options and choice it was converted with.
    struct ConvertedScan
    {
        QString scan;
        QStringList options;
        QString choice;
    };

    void fillFileList();
    void addMenuEntries();
    void chooseAndOpen();
    // Lists the volume file `volume` as `name` (once) and loads it with a
    // preset for its kind, CT or not; `opened` goes to the recent files.
    // A volume the converter made says how it read the values.
    void showVolume(const QString& volume, const QString& name, const QString& opened,
                    const ScanKind& kind, const ConvertedScan& converted = {});
    // The grey or the object ramp in the form that suits the view's mode:
    // with an opaque top in the projections, as made for Composite there. The
    // editor's points are left alone unless they are one form of a ramp exactly.
    void suitRampToMode();
    bool editorShows(const TransferFunction& function) const;

    ScanOpener* m_opener;
    RecentFiles* m_recent;
    TransferMenu* m_transferMenu;
    ViewMenu* m_viewMenu;
    FourPanes* m_fourPanes;
    ViewReadout* m_readout;
    TimeAxis* m_timeAxis;      // of a folder of volumes, a scan's every volume
    ScanKind m_loadingKind;    // of the volume a load reads
    QString m_loadingVolume;   // its file or folder, as the list names it
    ConvertedScan m_shownScan; // of the volume loaded last, where it was converted
    QAction* m_readAsCt;       // "Werte als CT (HU) lesen", for the shown scan
    QSize m_formSize;
    QRect m_formView; // the view's area at the form's size
    // Where a list entry of an opened scan keeps what the scan was.
    static constexpr int kCTRole = Qt::UserRole + 1;
    static constexpr int kPatientAxesRole = Qt::UserRole + 2;
    static constexpr int kScanRole = Qt::UserRole + 3; // ConvertedScan's fields
    static constexpr int kOptionsRole = Qt::UserRole + 4;
    static constexpr int kChoiceRole = Qt::UserRole + 5;
    static constexpr int kVoxelSizeRole = Qt::UserRole + 6; // three mm, where known
    TransferHistory* m_history;
};
