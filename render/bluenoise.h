#pragma once

#include <cstdint>
#include <vector>

// A square tile of blue noise, `size` x `size` values 0..255, row by row:
// every value about equally often, and neighbouring pixels far apart in
// value, with no low frequencies (void and cluster, on a torus, so that the
// tile repeats without a seam). The ray caster offsets each pixel's first
// sample by it: no rings, no lattice, and the error of a sample that is off
// averages out over the pixels around it. The same tile every time.
std::vector<uint8_t> blueNoiseTile(int size);
