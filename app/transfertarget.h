#pragma once

#include "tfeditor/transferfunction.h"
#include "tfeditor/transferpresets.h"

// What the transfer-function menu works on: the function the editor shows,
// one put in its place, and the loaded volume's histogram that presets are
// placed by. The main window is one; the menu does not need to know it.
class TransferTarget
{
public:
    virtual TransferFunction transferFunction() const = 0;
    virtual void applyTransferFunction(const TransferFunction& function) = 0;
    virtual const DensityHistogram& densityHistogram() const = 0;

protected:
    ~TransferTarget() = default;
};
