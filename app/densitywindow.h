#pragma once

class QSpinBox;

// Sets the two density boxes to minDensity..maxDensity. Each box's range
// excludes the other's value, so the end that moves away from the other goes
// first; neither value is ever refused.
void setDensityWindow(QSpinBox* lower, QSpinBox* upper, int minDensity, int maxDensity);
