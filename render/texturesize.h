#pragma once

// The smallest power of two not less than n; 1 for every n up to 1.
int nextPowerOfTwo(int n);
