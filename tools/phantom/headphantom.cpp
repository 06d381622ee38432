// The head phantom: see makeHeadPhantom in phantoms.h for what it holds.
// Coordinates: u left-right, v face (-) to back (+), w neck (-) to crown (+).
// Each part paints over the ones before it, so the order of the calls in
// makeHeadPhantom is part of the picture.

#include "tools/phantom/phantoms.h"

#include "tools/phantom/phantom.h"

#include <algorithm>
#include <cmath>

using namespace phantom;

namespace {

// Head densities (HU + 1024).
constexpr float kFat = 940, kVitreous = 1030, kCsf = 1012, kVentricle = 1006;
constexpr float kWhiteMatter = 1048, kGreyMatter = 1086, kDeepGrey = 1074, kBrainstem = 1060;
constexpr float kCord = 1046, kSoftTissue = 1064, kSkin = 1112, kLens = 1140;
constexpr float kEarCartilage = 1150, kCartilage = 1250;
constexpr float kThinBone = 1900, kDiploe = 1850, kTable = 2650, kInnerTable = 2550;
constexpr float kPetrous = 2950, kJaw = 2350, kVertebra = 1750, kCorticalRim = 2300;
constexpr float kDentine = 3150, kEnamel = 3850, kMetal = 4400; // saturates at 4095
constexpr float kHoneycomb = 250; // air cells with bony walls: textured air
constexpr float kCalcification = 1950;

// The upper face of the top slice: a few voxels of air above the crown (the
// scalp's top is at 0.94). At 256 x 256 x 113 the bottom slice then lies
// at 0.08, through the roofs of the orbits and the frontal sinus, where a
// brain scan starts.
constexpr float kWindowTop = 0.962f;

// The skull's outer surface; its tables, the brain's cavity and the brain
// nest inside it.
constexpr Vec kSkullCentre{0.0f, 0.05f, 0.24f}, kSkullRadii{0.61f, 0.77f, 0.66f};

Vec shrunk(Vec radii, float by)
{
    return Vec{radii.x - by, radii.y - by, radii.z - by};
}

// Above the skull base, the floor w = -0.05 - 0.35 v (sloping from above
// the orbits down to the back), raised by `lift`.
Primitive aboveFloor(const Phantom& p, float lift)
{
    return p.below({0.0f, -0.35f, -1.0f}, 0.05f - lift);
}

// An air space inside a thin bony wall; `air` above 0 and a `texture` make it
// honeycombed air cells.
void paintAirCell(Phantom& p, Vec centre, Vec radii, float wall, float air, float texture)
{
    p.paint(kThinBone, p.ellipsoid(centre, radii));
    Layer& inside = p.paint(air, p.ellipsoid(centre, shrunk(radii, wall)));
    if (texture > 0)
        p.texture(inside, texture, 0.025f);
}

// Cranium, face, neck, nose and ears: skin over soft tissue.
void paintOuterSurface(Phantom& p)
{
    const Vec craniumC{0.0f, 0.04f, 0.22f}, craniumR{0.66f, 0.82f, 0.72f};
    const Vec faceC{0.0f, -0.16f, -0.30f}, faceR{0.55f, 0.68f, 0.58f};
    const Vec neckC{0.0f, 0.18f, -0.75f}, neckR{0.40f, 0.38f, 0.45f};
    const Vec noseC{0.0f, -0.80f, -0.12f}, noseR{0.09f, 0.15f, 0.19f};
    for (float side : {-1.0f, 1.0f})
        p.paint(kSkin, p.ellipsoid({side * 0.66f, 0.08f, -0.02f}, {0.06f, 0.13f, 0.17f}));
    const float jowl = 0.12f;
    p.blend(p.paint(kSkin, p.ellipsoid(craniumC, craniumR), p.ellipsoid(faceC, faceR),
                    p.cylinder(2, neckC, neckR)),
            jowl);
    p.paint(kSkin, p.ellipsoid(noseC, noseR));
    const float skin = 0.025f;
    for (float side : {-1.0f, 1.0f})
        p.paint(kEarCartilage, p.ellipsoid({side * 0.66f, 0.08f, -0.02f}, {0.02f, 0.1f, 0.13f}));
    p.blend(p.paint(kSoftTissue, p.ellipsoid(craniumC, shrunk(craniumR, skin)),
                    p.ellipsoid(faceC, shrunk(faceR, skin)),
                    p.cylinder(2, neckC, {neckR.x - skin, neckR.y - skin, neckR.z})),
            jowl);
    p.paint(kSoftTissue, p.ellipsoid(noseC, shrunk(noseR, skin)));
}

// Eyes in bony orbits padded with fat; cheekbones below them.
void paintOrbits(Phantom& p)
{
    for (float side : {-1.0f, 1.0f}) {
        const float u = side * 0.27f;
        p.paint(kThinBone, p.ellipsoid({u, -0.44f, 0.0f}, {0.15f, 0.2f, 0.13f}),
                Phantom::outside(p.below({0, 1, 0}, -0.54f)));
        p.paint(kFat, p.ellipsoid({u, -0.44f, 0.0f}, {0.13f, 0.18f, 0.11f}),
                Phantom::outside(p.below({0, 1, 0}, -0.58f)));
        p.paint(kVitreous, p.ellipsoid({u, -0.54f, 0.0f}, {0.1f, 0.1f, 0.1f}));
        p.paint(kLens, p.ellipsoid({u, -0.625f, 0.0f}, {0.035f, 0.012f, 0.035f}));
        p.texture(
            p.paint(2000, p.ellipsoid({side * 0.37f, -0.42f, -0.12f}, {0.09f, 0.09f, 0.045f})), 120,
            0.03f);
        p.paint(2100, p.cylinder(1, {side * 0.47f, -0.17f, -0.11f}, {0.02f, 0.22f, 0.025f}));
    }
}

// Sinuses and the nasal airway, each air space inside a thin bony wall, and the pharynx.
void paintAirways(Phantom& p)
{
    for (float side : {-1.0f, 1.0f})
        paintAirCell(p, {side * 0.2f, -0.42f, -0.24f}, {0.13f, 0.17f, 0.11f}, 0.018f, 0, 0);
    paintAirCell(p, {0.0f, -0.5f, -0.16f}, {0.09f, 0.28f, 0.14f}, 0.02f, 0, 0);
    p.paint(kCartilage, p.box({0.0f, -0.5f, -0.16f}, {0.008f, 0.25f, 0.11f}));
    paintAirCell(p, {0.0f, -0.30f, -0.04f}, {0.09f, 0.13f, 0.08f}, 0.02f, kHoneycomb, 500);
    paintAirCell(p, {0.0f, -0.13f, -0.10f}, {0.08f, 0.07f, 0.06f}, 0.018f, 0, 0);
    // The pharynx, joined to the back of the nose.
    p.paint(0, p.cylinder(2, {0.0f, 0.05f, -0.71f}, {0.05f, 0.04f, 0.49f}));
    p.paint(0, p.ellipsoid({0.0f, -0.12f, -0.2f}, {0.05f, 0.2f, 0.06f}));
}

// U-shaped arches open at the back, the palate, the rami.
void paintJaws(Phantom& p)
{
    const Primitive upperOpen = p.below({0, 1, 0}, -0.15f);
    p.texture(p.paint(2200, p.cylinder(2, {0.0f, -0.12f, -0.40f}, {0.36f, 0.48f, 0.05f}),
                      Phantom::outside(p.cylinder(2, {0.0f, -0.12f, -0.40f}, {0.28f, 0.40f, 0.1f})),
                      upperOpen),
              150, 0.03f);
    p.paint(2000, p.cylinder(2, {0.0f, -0.12f, -0.33f}, {0.29f, 0.41f, 0.02f}), upperOpen);
    const Primitive lowerOpen = p.below({0, 1, 0}, 0.2f);
    p.texture(p.paint(kJaw, p.cylinder(2, {0.0f, -0.10f, -0.66f}, {0.38f, 0.50f, 0.12f}),
                      Phantom::outside(p.cylinder(2, {0.0f, -0.10f, -0.66f}, {0.30f, 0.42f, 0.2f})),
                      lowerOpen),
              150, 0.03f);
    for (float side : {-1.0f, 1.0f})
        p.texture(p.paint(2300, p.box({side * 0.40f, 0.12f, -0.40f}, {0.03f, 0.07f, 0.26f}, 0.02f)),
                  150, 0.03f);
}

// Teeth along the arch, crowns meeting at the bite plane; two fillings.
void paintTeeth(Phantom& p)
{
    const float bite = -0.46f;
    for (int jaw = 0; jaw < 2; ++jaw)
        for (float side : {-1.0f, 1.0f})
            for (int k = 0; k < 7; ++k) {
                const float angle = side * (0.12f + 0.2f * float(k));
                const Vec at{0.33f * std::sin(angle), -0.11f - 0.45f * std::cos(angle), 0.0f};
                const float radius = 0.024f + 0.0025f * float(k);
                const float up = jaw == 0 ? -1.0f : 1.0f; // lower teeth grow down from the bite
                const Vec centre{at.x, at.y, bite + up * 0.072f};
                const Vec size{radius, radius, 0.075f};
                p.paint(kDentine, p.ellipsoid(centre, size));
                p.paint(kEnamel, p.ellipsoid(centre, size),
                        p.below({0, 0, up}, up * bite + 0.035f));
                if ((jaw == 0 && side < 0 && k == 5) || (jaw == 1 && side > 0 && k == 6))
                    p.paint(kMetal, p.ellipsoid({at.x, at.y, bite + up * 0.012f},
                                                {0.6f * radius, 0.6f * radius, 0.012f}));
            }
}

// Vertebral bodies with a cortical rim, the arches behind them, the canal and the cord.
void paintCervicalSpine(Phantom& p)
{
    for (int i = 0; i < 4; ++i) {
        const float w = -0.98f + 0.17f * float(i);
        p.paint(kCorticalRim, p.cylinder(2, {0.0f, 0.18f, w}, {0.075f, 0.065f, 0.065f}));
        p.texture(p.paint(kVertebra, p.cylinder(2, {0.0f, 0.18f, w}, {0.063f, 0.053f, 0.055f})),
                  120, 0.03f);
        p.texture(p.paint(2100, p.cylinder(2, {0.0f, 0.32f, w}, {0.09f, 0.08f, 0.06f})), 120,
                  0.03f);
    }
    p.paint(kCsf, p.cylinder(2, {0.0f, 0.32f, -0.75f}, {0.05f, 0.045f, 0.5f}));
}

// The cranium above the skull base: outer table, spongy diploe, inner table, nested.
void paintCranium(Phantom& p)
{
    p.texture(p.paint(kTable, p.ellipsoid(kSkullCentre, kSkullRadii), aboveFloor(p, -0.05f)), 80,
              0.03f);
    p.texture(p.paint(kDiploe, p.ellipsoid(kSkullCentre, shrunk(kSkullRadii, 0.018f)),
                      aboveFloor(p, -0.038f)),
              200, 0.02f);
    p.texture(p.paint(kInnerTable, p.ellipsoid(kSkullCentre, shrunk(kSkullRadii, 0.042f)),
                      aboveFloor(p, -0.014f)),
              80, 0.03f);
}

// A burr hole high on the right of the forehead, covered by a curved
// titanium plate on the outer table, held by two screws: metal in the
// slices of a brain scan, now that the teeth lie below them.
void paintBurrHole(Phantom& p)
{
    const Vec skullC = kSkullCentre, skullR = kSkullRadii;
    const float u = 0.22f, v = -0.2f;
    const auto skullTop = [&](float du) { // where the skull's outer surface is
        const float a = (u + du - skullC.x) / skullR.x, b = (v - skullC.y) / skullR.y;
        return skullC.z + skullR.z * std::sqrt(1.0f - a * a - b * b);
    };
    const float w = skullTop(0.0f);
    const Primitive skull = p.ellipsoid(skullC, skullR);
    p.paint(kSoftTissue, p.cylinder(2, {u, v, w}, {0.05f, 0.05f, 0.2f}), skull);
    p.paint(kMetal, p.cylinder(2, {u, v, w}, {0.08f, 0.08f, 0.2f}),
            p.ellipsoid(skullC, shrunk(skullR, -0.02f)), Phantom::outside(skull));
    for (float du : {-0.066f, 0.066f})
        p.paint(kMetal, p.cylinder(2, {u + du, v, skullTop(du) - 0.01f}, {0.01f, 0.01f, 0.02f}));
}

// Dense petrous bone holding the middle ear, the ear canal, honeycombed
// mastoids, the frontal sinus, the opening for the spinal cord.
void paintSkullBase(Phantom& p)
{
    for (float side : {-1.0f, 1.0f}) {
        p.texture(
            p.paint(kPetrous, p.ellipsoid({side * 0.34f, 0.12f, -0.08f}, {0.2f, 0.08f, 0.065f})),
            100, 0.03f);
        p.paint(0, p.ellipsoid({side * 0.42f, 0.10f, -0.08f}, {0.035f, 0.03f, 0.03f}));
        p.paint(0, p.cylinder(0, {side * 0.58f, 0.10f, -0.08f}, {0.14f, 0.022f, 0.025f}));
        p.texture(
            p.paint(kHoneycomb, p.ellipsoid({side * 0.46f, 0.24f, -0.12f}, {0.06f, 0.06f, 0.06f})),
            600, 0.02f);
    }
    paintAirCell(p, {0.0f, -0.655f, 0.13f}, {0.105f, 0.045f, 0.06f}, 0.015f, 0, 0);
    p.paint(kCsf, p.cylinder(2, {0.0f, 0.32f, -0.28f}, {0.06f, 0.055f, 0.17f}));
    p.paint(kCord, p.cylinder(2, {0.0f, 0.32f, -0.65f}, {0.03f, 0.027f, 0.55f}));
}

// The brain's cavity, inside the inner table.
Primitive brainCavity(const Phantom& p)
{
    return p.ellipsoid(kSkullCentre, shrunk(kSkullRadii, 0.055f));
}

// The cerebrum in its CSF: folded cortex over white matter in two
// hemispheres, the corpus callosum bridging them, deep grey nuclei and the
// ventricles. `gyri` must outlive the rendering.
void paintCerebrum(Phantom& p, const Folds& gyri)
{
    const Primitive cavity = brainCavity(p);
    p.paint(kCsf, cavity, aboveFloor(p, 0.0f));
    p.fold(p.paint(kGreyMatter, p.ellipsoid(kSkullCentre, shrunk(kSkullRadii, 0.07f)),
                   aboveFloor(p, 0.012f)),
           gyri, 0.012f);
    p.paint(kCsf, p.box({0.0f, -0.02f, 0.65f}, {0.008f, 0.7f, 0.31f}), cavity);
    for (float side : {-1.0f, 1.0f})
        p.fold(p.paint(kWhiteMatter, p.ellipsoid(kSkullCentre, shrunk(kSkullRadii, 0.11f)),
                       p.below({-side, 0, 0}, -0.012f), aboveFloor(p, 0.06f)),
               gyri, 0.025f);
    p.paint(kWhiteMatter, p.ellipsoid({0.0f, 0.0f, 0.31f}, {0.1f, 0.32f, 0.045f}));
    for (float side : {-1.0f, 1.0f}) {
        p.paint(kDeepGrey, p.ellipsoid({side * 0.13f, 0.04f, 0.12f}, {0.08f, 0.12f, 0.08f}));
        p.paint(kVentricle, p.ellipsoid({side * 0.07f, 0.02f, 0.24f}, {0.045f, 0.3f, 0.06f}));
        p.paint(kVentricle, p.ellipsoid({side * 0.12f, 0.35f, 0.22f}, {0.03f, 0.12f, 0.04f}));
    }
    p.paint(kVentricle, p.ellipsoid({0.0f, 0.05f, 0.13f}, {0.012f, 0.1f, 0.06f}));
}

// Calcifications that most adult scans show: the pineal gland behind the
// third ventricle, the choroid plexus in the lateral ventricles.
void paintCalcifications(Phantom& p)
{
    p.paint(kCalcification, p.ellipsoid({0.0f, 0.18f, 0.14f}, {0.018f, 0.02f, 0.016f}));
    for (float side : {-1.0f, 1.0f})
        p.paint(kCalcification - 150,
                p.ellipsoid({side * 0.12f, 0.3f, 0.21f}, {0.016f, 0.024f, 0.014f}));
}

// The cerebellum below the back of the cerebrum, its fourth ventricle, the
// brainstem. `folia` must outlive the rendering.
void paintCerebellum(Phantom& p, const Folds& folia)
{
    const Vec cerebellumC{0.0f, 0.48f, -0.12f}, cerebellumR{0.40f, 0.24f, 0.15f};
    p.paint(kCsf, p.ellipsoid(cerebellumC, shrunk(cerebellumR, -0.015f)), brainCavity(p),
            aboveFloor(p, 0.0f));
    p.fold(p.paint(kGreyMatter - 4, p.ellipsoid(cerebellumC, cerebellumR),
                   p.ellipsoid(kSkullCentre, shrunk(kSkullRadii, 0.07f)), aboveFloor(p, 0.012f)),
           folia, 0.01f);
    p.paint(kWhiteMatter, p.ellipsoid({0.0f, 0.46f, -0.12f}, {0.25f, 0.13f, 0.07f}));
    p.paint(kVentricle, p.ellipsoid({0.0f, 0.36f, -0.12f}, {0.03f, 0.025f, 0.04f}));
    p.paint(kBrainstem, p.cylinder(2, {0.0f, 0.30f, -0.06f}, {0.065f, 0.055f, 0.18f}));
}

} // namespace

SampleVolume makeHeadPhantom(int width, int height, int depth)
{
    if (!validExtents(width, height, depth))
        return SampleVolume();
    // The slice spans -1..1 across and front to back; slices are as thick as
    // voxels are wide, counted down from kWindowTop, so the stack reaches as
    // far down the head as it has slices.
    const float scale = 0.5f * float(std::max(width, height));
    const float zCentre = kWindowTop - 0.5f * float(depth) / scale;
    Phantom p(Frame(width, height, depth, scale, zCentre), 5.0f, 0x4ead5eedull);
    const Folds gyri(p.frame(), 40.0f);
    const Folds folia(p.frame(), 95.0f);

    paintOuterSurface(p);
    paintOrbits(p);
    paintAirways(p);
    paintJaws(p);
    paintTeeth(p);
    paintCervicalSpine(p);
    paintCranium(p);
    paintBurrHole(p);
    paintSkullBase(p);
    paintCerebrum(p, gyri);
    paintCalcifications(p);
    paintCerebellum(p, folia);
    return p.render();
}
