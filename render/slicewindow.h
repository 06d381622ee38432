#pragma once

#include <QCoreApplication>
#include <QString>

// The slice panes' own grey window, apart from the transfer function's
// density window: densities from level - width / 2 (black) to level +
// width / 2 (white).
struct SliceWindow
{
    double width = 4095;
    double level = 2047.5;

    double low() const { return level - width / 2; }
    double high() const { return level + width / 2; }

    // A CT window given in Hounsfield units, in the converter's densities (HU + 1024).
    static SliceWindow fromHounsfield(double width, double level) { return {width, level + 1024}; }

    // "Fenster 400, Zentrum 40": in HU for a CT, in densities otherwise.
    QString text(bool ct) const
    {
        return QCoreApplication::translate("SliceWindow", "Fenster %1, Zentrum %2")
            .arg(qRound(width))
            .arg(qRound(ct ? level - 1024 : level));
    }
};

// The usual CT windows, width and level in HU.
struct NamedWindow
{
    const char* name; // the menu's caption, its mnemonic marked by "&", to be translated
    double width, level;
};
constexpr NamedWindow kCTWindows[] = {{QT_TRANSLATE_NOOP("SliceWindow", "&Weichteile"), 400, 40},
                                      {QT_TRANSLATE_NOOP("SliceWindow", "&Lunge"), 1500, -600},
                                      {QT_TRANSLATE_NOOP("SliceWindow", "&Knochen"), 1800, 400},
                                      {QT_TRANSLATE_NOOP("SliceWindow", "&Gehirn"), 80, 40}};
