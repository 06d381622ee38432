// libFuzzer target for the transfer-function reader: every input is a file's
// bytes. A refusal must say why in one line; an accepted function must keep
// every rule of the format and come back from its own file. Anything else
// aborts. tst_transferfunction replays
// the seeds and findings through it.

#include "tfeditor/transferfunctionfile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TransferFunction f, again;
    QString fault;
    if (!parseTransferFunction(QByteArray(reinterpret_cast<const char*>(data), int(size)), f,
                               fault)) {
        if (fault.isEmpty() || fault.contains('\n'))
            std::abort();
        return 0;
    }
    bool kept = 0 <= f.minDensity && f.minDensity < f.maxDensity && f.maxDensity <= 4095 &&
                !f.points.empty() && f.points.size() <= 256;
    for (size_t i = 0; i < f.points.size(); ++i) {
        const TransferPoint& p = f.points[i];
        kept = kept && f.minDensity <= p.density && p.density <= f.maxDensity && p.opacity >= 0 &&
               p.opacity <= 1 && (i == 0 || f.points[i - 1].density <= p.density);
    }
    if (!kept || !parseTransferFunction(transferFunctionBytes(f), again, fault) ||
        transferFunctionBytes(again) != transferFunctionBytes(f))
        std::abort();
    return 0;
}
