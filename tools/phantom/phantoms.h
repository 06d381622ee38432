#pragma once

#include "volume/volumedata.h"

// Synthetic scans for the run folder, the tests and the benchmarks. Densities
// follow the usual 12-bit CT scale of Hounsfield units plus 1024: air 0,
// water about 1024, soft tissue a little above, bone from about 1800 up and
// metal at the 4095 ceiling. Every sample is a pure function of its position
// and the extents, so the same extents give the same bytes on any machine and
// with any number of threads. Shapes are defined relative to the extents, so
// any size gives the same object at a different resolution; their edges are
// blurred over about a voxel, as a scanner's partial-volume effect does, so
// that gradients are well defined for shading. Extents below 1 give an empty
// volume (0 x 0 x 0).

// A head, in cubic voxels. x runs from side to side, y from the face (small
// y) to the back of the head, and z upwards, the last slice lying just above
// the crown. The head's width and length fill the slice; the slices are as
// thick as the voxels are wide and cover the head from the top down as far
// as their number reaches: like a brain scan, 113 slices of 256 x 256 (or 28
// of 64 x 64) end at the roofs of the orbits and the frontal sinus, and a
// taller stack goes on down through the face to the neck. Holds air with a
// little noise around the head, skin and soft tissue, a skull with dense
// outer and inner tables around a spongy layer, grey and white matter,
// ventricles and CSF, calcifications in the pineal gland and the choroid
// plexus, a burr hole with a titanium cover plate and its screws, and lower
// down the eyes in fat-filled orbits, sinus and ear air cavities, the
// cervical spine, the jaws and the teeth, two of them with metal fillings.
SampleVolume makeHeadPhantom(int width = 256, int height = 256, int depth = 113);

// A four-cylinder engine block of cast aluminium, with steel cylinder liners,
// aluminium pistons, a steel crankshaft in bronze bearings, a camshaft, water
// jackets half full of coolant, oil in the sump, bolt holes with some bolts
// in them and a flange with holes. The longest side spans the volume and the
// others keep their proportions (cubic voxels), so the natural extents are
// 160 x 128 x 64.
SampleVolume makeEnginePhantom(int width = 160, int height = 128, int depth = 64);
