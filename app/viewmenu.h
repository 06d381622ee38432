#pragma once

#include "app/scankind.h"

#include <QObject>

#include <functional>

class AxesDialog;
class CropDialog;
class GLWidget;
class Histogram;
class QAction;
class QMenu;
class QWidget;

// A choice of `menu` that is off until the user turns it on, and then stays
// on across runs (the setting `key`): `apply` takes it at once and at each
// change.
QAction* addRememberedChoice(QMenu* menu, const QString& caption, const char* key,
                             const std::function<void(bool)>& apply);

// The window's "Ansicht" menu: slices in the density window, the
// histogram's log scale, the still picture refined, back to the
// first view (Home), the standard views (Ctrl+1 to Ctrl+6) from the
// patient's sides, or from the ends of its own axes for a volume in no
// patient frame, whose axes can be turned and mirrored (kept with the
// volume), the crop box and the cut through the volume.
class ViewMenu : public QObject
{
    Q_OBJECT

public:
    ViewMenu(QMenu* menu, GLWidget* view, Histogram* histogram, QWidget* window);

    // The volume file or folder `volume` was loaded: no crop, no cut; the
    // standard views named for its axes, the axes it was last shown by
    // where they are not the patient's.
    void volumeLoaded(const ScanKind& kind, const QString& volume);
    // The crop dialog follows the finer level of the volume on show.
    void volumeRefined();

private:
    // The standard views' captions for the patient's axes or the volume's own.
    void nameStandardViews();

    GLWidget* m_view;
    QWidget* m_window;
    QMenu* m_standardViews;
    QAction* m_axes;
    QAction* m_cut;
    CropDialog* m_cropDialog = nullptr;
    AxesDialog* m_axesDialog = nullptr;
    QString m_volume;
    bool m_patientAxes = true; // the captions until a volume says otherwise
};
