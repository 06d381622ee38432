#include "render/texturesize.h"

#include <climits>

int nextPowerOfTwo(int n)
{
    int power = 1;
    while (power < n && power <= INT_MAX / 2) // volume extents stay far below the limit
        power *= 2;
    return power;
}
