// The ready-made transfer functions (transferpresets.h). Opacities hold per
// one-voxel step, so a thin layer such as skin needs far more than the
// tissue a ray crosses for a hundred voxels.

#include "tfeditor/transferpresets.h"

#include "tfeditor/histogrambackground.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace {

// A CT density from Hounsfield units.
constexpr int hu(int units)
{
    return units + 1024;
}

TransferFunction function(int minDensity, int maxDensity, std::vector<TransferPoint> points)
{
    TransferFunction made;
    made.minDensity = minDensity;
    made.maxDensity = maxDensity;
    made.points = std::move(points);
    return made;
}

const QColor kBone(240, 228, 205);
const QColor kSkin(235, 170, 135);

TransferFunction bone(const DensityHistogram&)
{
    return function(hu(0), kMaxDensity,
                    {{hu(150), 0.0, QColor(190, 160, 120)},
                     {hu(300), 0.4, kBone},
                     {hu(800), 0.8, QColor(250, 245, 232)},
                     {hu(2500), 0.9, QColor(255, 255, 250)}});
}

// Soft tissue a faint red, contrast-filled vessels bright red, bone white.
TransferFunction softTissueAndVessels(const DensityHistogram&)
{
    return function(hu(-200), hu(2000),
                    {{hu(-50), 0.0, QColor(150, 40, 30)},
                     {hu(30), 0.012, QColor(190, 70, 55)},
                     {hu(100), 0.02, QColor(205, 85, 65)},
                     {hu(160), 0.3, QColor(235, 55, 45)},
                     {hu(350), 0.5, QColor(250, 205, 175)},
                     {hu(1000), 0.6, QColor(250, 250, 240)}});
}

// Lung tissue and the walls of the airways, between air and soft tissue.
TransferFunction lungsAndAirways(const DensityHistogram&)
{
    return function(0, hu(200),
                    {{hu(-950), 0.0, QColor(120, 80, 80)},
                     {hu(-800), 0.04, QColor(205, 135, 125)},
                     {hu(-550), 0.15, QColor(240, 195, 185)},
                     {hu(-350), 0.0, QColor(240, 195, 185)}});
}

// The window from the 1st to the 99.5th percentile, so that a few stray
// bright voxels do not squeeze everything else into its bottom.
void percentileWindow(const DensityHistogram& histogram, int& low, int& high)
{
    low = densityPercentile(histogram, 0.01);
    high = densityPercentile(histogram, 0.995);
    if (high <= low) {
        high = std::min(low + 1, kMaxDensity);
        low = high - 1;
    }
}

TransferPoint at(int low, int high, double share, double opacity, const QColor& color)
{
    return {low + int(share * (high - low)), opacity, color};
}

// Brain tissue lies in the upper middle of an MR head's intensities; the
// brightest (fat, vessels) is kept fainter than it would be on a ramp.
TransferFunction brain(const DensityHistogram& histogram)
{
    int low, high;
    percentileWindow(histogram, low, high);
    return function(low, high,
                    {at(low, high, 0.15, 0.0, QColor(60, 20, 20)),
                     at(low, high, 0.35, 0.03, QColor(200, 120, 100)),
                     at(low, high, 0.6, 0.1, QColor(235, 190, 170)),
                     at(low, high, 1.0, 0.2, QColor(255, 240, 230))});
}

} // namespace

// Skin is where air meets tissue, the voxels that hold a share of each; the
// tissue within stays clear so that the bone shows through.
TransferFunction skinAndBonePreset(const DensityHistogram&)
{
    return function(0, kMaxDensity,
                    {{hu(-700), 0.0, kSkin},
                     {hu(-400), 0.35, kSkin},
                     {hu(-150), 0.0, kSkin},
                     {hu(180), 0.0, QColor(190, 160, 120)},
                     {hu(400), 0.5, kBone},
                     {hu(1200), 0.85, QColor(250, 245, 232)}});
}

namespace {

TransferFunction greyRamp(const DensityHistogram& histogram, double topOpacity)
{
    int low, high;
    percentileWindow(histogram, low, high);
    return function(low, high,
                    {at(low, high, 0.0, 0.0, QColor(0, 0, 0)),
                     at(low, high, 1.0, topOpacity, QColor(255, 255, 255))});
}

// A colour ramp over the object's densities, from dark red to white, the
// background clear, with the opacities of its three upper points.
// Projections show denser samples as the densest point: above padding that
// point is a clear one, or the padding would show.
TransferFunction objectRamp(const DensityHistogram& histogram, std::array<double, 3> opacity)
{
    const HistogramBackground found = findBackground(histogram);
    const int low = std::min(found.background, kMaxDensity - 1);
    const int high = std::clamp(found.top, low + 1, kMaxDensity);
    const QColor white(255, 245, 225);
    std::vector<TransferPoint> points = {at(low, high, 0.0, 0.0, QColor(100, 30, 20)),
                                         at(low, high, 0.35, opacity[0], QColor(200, 85, 45)),
                                         at(low, high, 0.7, opacity[1], QColor(245, 170, 95)),
                                         {high, opacity[2], white}};
    if (found.highPadding < 0)
        return function(low, high, std::move(points));
    const int densest = std::max(found.densest, high);
    const int clear = std::min(densest + 1, kMaxDensity);
    points.push_back({densest, opacity[2], white});
    points.push_back({clear, 0.0, white});
    return function(low, clear, std::move(points));
}

} // namespace

TransferFunction objectRampPreset(const DensityHistogram& histogram)
{
    return objectRamp(histogram, {0.1, 0.2, 0.3});
}

TransferFunction opaqueObjectRampPreset(const DensityHistogram& histogram)
{
    return objectRamp(histogram, {0.55, 0.85, 1.0});
}

TransferFunction greyRampPreset(const DensityHistogram& histogram)
{
    return greyRamp(histogram, 0.3);
}

TransferFunction opaqueGreyRampPreset(const DensityHistogram& histogram)
{
    return greyRamp(histogram, 1.0);
}

const std::vector<TransferPreset>& transferPresets()
{
    static const std::vector<TransferPreset> presets = {
        {QT_TRANSLATE_NOOP("TransferPreset", "CT: &Knochen"), true, bone},
        {QT_TRANSLATE_NOOP("TransferPreset", "CT: &Haut und Knochen"), true, skinAndBonePreset},
        {QT_TRANSLATE_NOOP("TransferPreset", "CT: W&eichteile und Gefäße (Kontrast)"), true,
         softTissueAndVessels},
        {QT_TRANSLATE_NOOP("TransferPreset", "CT: &Lunge und Atemwege"), true, lungsAndAirways},
        {QT_TRANSLATE_NOOP("TransferPreset", "MR: &Gehirn"), false, brain},
        {QT_TRANSLATE_NOOP("TransferPreset", "Gr&aurampe (1. bis 99,5. Perzentil)"), false,
         greyRampPreset},
        {QT_TRANSLATE_NOOP("TransferPreset", "&Objekt vor durchsichtigem Hintergrund"), false,
         objectRampPreset},
    };
    return presets;
}

int densityPercentile(const DensityHistogram& histogram, double share)
{
    const int64_t total = std::accumulate(histogram.begin(), histogram.end(), int64_t(0));
    int64_t counted = 0;
    for (int density = 0; density < kDensityCount; ++density) {
        counted += histogram[size_t(density)];
        if (total > 0 && double(counted) >= share * double(total))
            return density;
    }
    return 0;
}
