#include "app/densitywindow.h"

#include <QSpinBox>

void setDensityWindow(QSpinBox* lower, QSpinBox* upper, int minDensity, int maxDensity)
{
    if (minDensity < upper->value()) {
        lower->setValue(minDensity);
        upper->setValue(maxDensity);
    } else {
        upper->setValue(maxDensity);
        lower->setValue(minDensity);
    }
}
