#pragma once

#include "app/scankind.h"

#include <QObject>

#include <functional>

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
// first view (Home), the standard views of a volume in the patient's axes
// (Ctrl+1 to Ctrl+6), the crop box and the cut through the volume.
class ViewMenu : public QObject
{
    Q_OBJECT

public:
    ViewMenu(QMenu* menu, GLWidget* view, Histogram* histogram, QWidget* window);

    // A volume was loaded: no crop, no cut; standard views where its axes
    // are the patient's.
    void volumeLoaded(const ScanKind& kind);

private:
    GLWidget* m_view;
    QWidget* m_window;
    QMenu* m_standardViews;
    QAction* m_cut;
    CropDialog* m_cropDialog = nullptr;
};
