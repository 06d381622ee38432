#pragma once

#include "convert/scaninput.h"

#include <QProcess>
#include <QStringList>

#include <array>
#include <string>
#include <vector>

// A small scan for the converter's tests, written in each format with the
// toolkit's writers (NIfTI with the format's reference library).
struct TestScan
{
    std::array<unsigned, 3> extents{{1, 1, 1}};
    std::array<double, 3> spacing{{1, 1, 1}};
    Direction direction = kIdentityDirection; // columns: stored axes in LPS space
    std::vector<float> values;                // x fastest

    TestScan(unsigned w, unsigned h, unsigned d, float fill = 0)
        : extents{{w, h, d}}, values(size_t(w) * h * d, fill)
    {
    }
    float& at(unsigned x, unsigned y, unsigned z)
    {
        return values[x + extents[0] * (y + extents[1] * size_t(z))];
    }
};

// .nrrd, .nhdr, .mha or .mhd by the extension, of 16-bit signed samples
// (or float ones when `floating`).
void writeToolkitFile(const TestScan& scan, const std::string& path, bool floating = false);
// NIfTI with the scan's direction as its sform (unless `frame` is false), of
// `datatype` (DT_INT16, DT_FLOAT32...), `volumes` volumes, volume v holding
// the values plus 1000 v.
void writeNifti(const TestScan& scan, const std::string& path, int datatype, bool frame = true,
                int version = 1, int volumes = 1);
// One DICOM series of int16 Hounsfield units, stored with the rescale
// intercept -1024.
void writeDicomSeries(const TestScan& scan, const std::string& folder, const std::string& uid,
                      const std::string& modality = "CT");

struct ProcessResult
{
    int exitCode = -1;
    QString out, err;
};
ProcessResult runConvertProcess(const QStringList& arguments);
