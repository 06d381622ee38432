// The converter's messages: a code for each, which a program may rely on and
// which never changes once given, and the English of the console.

#include "convert/messages/messagetable.h"

#include <algorithm>

const std::vector<MessageTemplate>& messageTable()
{
    // clang-format off
    static const std::vector<MessageTemplate> table{
        // The frames of a refusal, their reason the last argument.
        {"cannot-read", "cannot read '%1': %2"},
        {"cannot-write", "cannot write '%1': %2"},
        {"cannot-convert", "cannot convert '%1': %2"},
        {"cannot-map-values", "cannot map the values of '%1': %2"},
        {"cannot-write-file", "cannot write '%1'"},
        {"cannot-write-standard-output", "cannot write to the standard output: %1"},
        {"cancelled", "cancelled"},
        {"cancelled-unwritten", "cancelled; '%1' was not written"},
        // A text from a library or the system, as it came.
        {"foreign-text", "%1"},

        // The command's input and output.
        {"no-such-path", "no such file or folder"},
        {"unknown-format", "it is not a folder holding a DICOM series, a DICOM file, or a %1 file"},
        {"volume-of-single-volume-format", "--volume chooses among the volumes of a DICOM series or a NIfTI file; a %1 holds one"},
        {"volume-missing", "--volume %1 asks for a volume it lacks; it holds volumes 0..%2"},
        {"volume-missing-one", "--volume %1 asks for a volume it lacks; it holds one volume"},
        {"volume-on-other-grid", "volume %1 lies on another grid than volume 0; convert it alone with --volume %1"},
        {"export-needs-dat", "only a .dat INPUT exports to %1"},
        {"export-takes-no-options", "an export writes the samples unchanged and takes no options"},
        {"not-export-format", "it is not %1"},
        {"output-exists", "it exists; --all-volumes writes a new folder"},
        {"output-not-dat", "OUTPUT must be a .dat file, or from a .dat INPUT a %1 file"},
        {"cannot-create", "cannot create '%1'"},
        {"infinite-values", "they include infinities; choose a --window"},
        {"out-of-memory", "out of memory"},
        {"memory-too-small", "it needs about %1 of memory, the machine has %2; %3"},
        {"wider-than-dat", "the volume %1 is wider than a .dat file holds (65535 a side); %2"},
        {"shrink-fits", "--shrink %1 writes %2"},
        {"no-shrink-fits", "no --shrink up to 16 makes it fit"},
        {"changed-while-read", "it changed while it was read"},
        {"converter-killed", "the converter was killed (SIGKILL), perhaps for want of memory"},
        {"converter-crashed", "the converter stopped on %1; this is a fault in kastra-convert"},
        {"library-overdue", "%1 did not finish with it in %2 s; %3"},
        {"library-crashed", "%1 failed on it (%2); %3"},
        {"library-failure-note", "the file may be damaged, or of a kind %1 does not read"},

        // Headers and data files of every format.
        {"too-many-dimensions", "it has %1 dimensions; at most %2 convert"},
        {"several-components", "its voxels have %1 components, not one value"},
        {"extent-out-of-range", "its header gives an extent of 0, or one too large to hold"},
        {"implausible-spacing", "its voxel spacing is %1 mm, not three sizes above 0 and up to a kilometre"},
        {"frame-not-spanning", "its %1 do not span a volume (an axis of length 0, or two along one line)"},
        {"axes-of", "%1's axes"},
        {"space-directions", "space directions"},
        {"data-file-missing", "its data file '%1' is missing"},
        {"data-file-not-regular", "its data file '%1' is not a regular file"},
        {"data-file-short", "the header announces %1 bytes of samples, '%2' holds %3"},
        {"data-file-short-compressed", "the header announces %1 bytes of samples, '%2' holds %3 compressed"},
        {"compressed-samples-damaged", "its compressed samples inflate to a damaged stream after %1 bytes, the header announces %2"},
        {"compressed-samples-short", "its compressed samples inflate to %1 bytes, the header announces %2"},
        {"samples-cut-short", "its samples are cut short or damaged"},

        // NIfTI.
        {"not-nifti", "not a valid NIfTI-1 or NIfTI-2 file"},
        {"nifti-bad-dim0", "its dim[0] is %1, not a number of dimensions from 1 to 7"},
        {"nifti-not-scalars", "its values are %1, not scalars"},
        {"nifti-implausible-voxel", "its %1 makes a voxel %2 mm wide"},
        {"nifti-writer-failed", "the NIfTI writer failed"},

        // NRRD.
        {"not-nrrd", "not a valid NRRD file (%1)"},
        {"nrrd-type-not-numbers", "its samples are of type %1, not numbers"},
        {"nrrd-axis-without-direction", "its space is %1, but an axis has no space direction"},
        {"nrrd-axis-without-direction-in-dimension", "its space is given by its dimension, but an axis has no space direction"},

        // MetaImage.
        {"not-metaimage", "not a valid MetaImage file"},
        {"empty-value", "empty"},
        {"metaimage-key-too-long", "its header has a key of %1 characters; MetaIO takes 254"},
        {"metaimage-bad-ndims", "its NDims is %1, not a number of dimensions from 1 to 16"},
        {"metaimage-bad-dimsize", "its DimSize is %1, not %2 extents of at least 1"},
        {"metaimage-bad-compressed-size", "its CompressedDataSize is %1, not a number of bytes"},
        {"metaimage-key-missing", "its %1 is missing"},
        {"metaimage-line-without-key", "its header line %1 holds no '=' or ':' after a key"},
        {"metaimage-read-otherwise", "MetaIO reads its size as %1, its header says %2"},
        {"metaimage-compressed-size-too-large", "its CompressedDataSize is %1 bytes, more than its data file holds"},
        {"metaimage-bad-orientation-letters", "its AnatomicalOrientation is %1, not one letter for each axis from R or L, A or P, I or S (as RAI)"},
        {"metaimage-orientation-contradicts", "its AnatomicalOrientation %1 contradicts its TransformMatrix, whose axes come from %2; remove the one that is wrong"},
        {"metaimage-several-data-files", "its ElementDataFile '%1' spreads the samples over several files; join them into one"},
        {"metaimage-text-samples", "its samples are text (BinaryData = False) in %1 dimensions, which ITK's reader writes past its buffer; store them in binary"},

        // DICOM: the folder and its files.
        {"not-dicom-image", "it is not a DICOM image"},
        {"no-dicom-series", "the folder holds no DICOM series"},
        {"no-dicom-series-left-out", "the folder holds no DICOM series; %1"},
        {"left-out-file", "left out %1 file that is not a DICOM image: %2"},
        {"left-out-files", "left out %1 files that are not a DICOM image: %2"},
        {"several-series", "it holds %1 series (listed above); choose one with --series UID"},
        {"no-such-series", "it holds no series %1 (the series are listed above)"},
        {"no-series", "it holds no series %1"},
        {"file-damaged", "%1; the file is damaged"},
        {"gdcm-cannot-read-header", "GDCM cannot read its header; %1"},
        {"gdcm-cannot-decode", "GDCM cannot decode its pixels; %1"},
        {"gdcm-cannot-split-mosaic", "GDCM cannot split its mosaic into slices"},
        {"image-without-series", "it is an image that names no series"},
        {"no-pixel-data", "it holds no pixel data"},
        {"pixel-data-short", "it holds %1 bytes of pixel data, %2 are announced"},
        {"pixel-data-unlike-header", "its pixel data does not match its header"},

        // DICOM: the structure of a file's elements.
        {"no-transfer-syntax", "its file meta information names no transfer syntax"},
        {"element-past-item", "an element runs past the end of its item"},
        {"element-past-sequence", "an element runs past the end of its sequence"},
        {"element-past-end", "its element %1 states %2 bytes, %3 follow it"},
        {"ends-inside-sequence", "it ends inside a sequence"},
        {"ends-inside-element-header", "it ends inside the header of its element %1"},
        {"element-without-vr", "its element %1 has no value representation, which its encoding requires"},
        {"element-where-item-belongs", "its element %1 stands where an item belongs"},
        {"element-where-element-belongs", "its element %1 stands where an element belongs"},
        {"delimiter-with-length", "its delimiter %1 states %2 bytes, not 0"},
        {"item-undefined-length", "its element %1 holds an item of undefined length"},
        {"pixel-data-item-undefined-length", "its compressed pixel data holds an item of undefined length"},
        {"compressed-pixel-data-short", "its compressed pixel data is cut short"},
        {"deflated-data-set-damaged", "its deflated data set is damaged"},
        {"deflated-data-set-too-large", "its deflated data set inflates to more than %1 MB"},

        // DICOM: pixels and slices.
        {"colour-samples", "its pixels are colour (%1 samples each); colour images are not converted"},
        {"colour-pixels", "its pixels are colour (%1); colour images are not converted"},
        {"bits-allocated", "its pixels take %1 bits; 8, 16 or 32 convert"},
        {"bits-stored", "its pixels keep %1 bits up to bit %2; only values in the low bits convert"},
        {"pixels-stored-unlike", "'%1' stores its pixels unlike '%2'"},
        {"no-slices", "its series holds no slices"},
        {"no-position-and-orientation", "'%1' states no image position and orientation"},
        {"no-pixel-spacing", "'%1' states no pixel spacing"},
        {"frames-without-positions", "'%1' holds %2 frames without a position for each"},
        {"fewer-frames-described", "'%1' describes fewer frames than the %2 it holds"},
        {"for-frame", "%1 for frame %2"},
        {"mosaic-csa-damaged", "'%1' is a mosaic whose private (CSA) header is damaged"},
        {"mosaic-without-tile-count", "'%1' is a mosaic whose number of tiles its header does not give"},
        {"mosaic-without-slice-direction", "'%1' is a mosaic whose slice direction its header does not give"},
        {"mosaic-without-spacing", "'%1' is a mosaic that states no spacing between its slices"},
        {"orientation-not-unit-vectors", "the image orientation of '%1' is not two perpendicular unit vectors"},
        {"slices-unalike", "its slices have different %1, as in '%2' and '%3'; only slices of one orientation and size make a volume"},
        {"differing-orientations", "orientations"},
        {"differing-extents", "extents (%1 x %2 and %3 x %4)"},
        {"differing-pixel-spacings", "pixel spacings"},
        {"slices-at-one-position", "'%1' and '%2' lie at one position"},
        {"slices-off-line", "its slice positions do not advance along a line; '%1' lies %2 mm off it"},
        {"unwhole-volumes", "its slices do not make whole volumes: %1 lie at %2 mm along the slice normal but %3 at %4 mm"},
        {"volumes-not-told-apart", "'%1' and '%2' lie at one position and nothing tells their volumes apart"},
        {"volumes-mixed", "the slices of one volume differ in their %1 ('%2' and '%3'); its volumes are mixed"},
        {"sheared-keep-grid", "its slices are sheared by a gantry tilt of %1 degrees; --keep-grid cannot keep a sheared grid"},
        {"uneven-slice-spacing", "its slice spacing is uneven (%1); --keep-grid cannot keep an uneven grid"},
        {"uneven-step", "the slices at %1 and %2 mm along the slice normal lie %3 mm apart, the usual spacing is %4 mm"},
        {"uneven-steps", "the slices at %1 and %2 mm along the slice normal lie %3 mm apart, the usual spacing is %4 mm (%5 uneven steps)"},

        // Why the values are read as CT or not.
        {"ct-option", "as --ct says"},
        {"no-ct-option", "as --no-ct says"},
        {"modality", "its modality is %1"},
        {"series-without-modality", "its series states no modality"},
        {"sidecar-modality", "its sidecar '%1' gives the modality %2"},
        {"samples-unsigned", "its samples are unsigned"},
        {"samples-not-read", "its samples were not read"},
        {"samples-not-integers", "its samples are not all integers"},
        {"minimum-above-air", "the minimum of its samples, %1, lies above -1024"},
        {"no-peak-of-air", "its samples have no peak of air near -1000"},
        {"hounsfield-samples", "its samples look like Hounsfield units: integers from %1, with a peak of air at %2 holding %3 % of them"},
        {"hounsfield-samples-padded", "its samples look like Hounsfield units: integers from the padding value %1, with a peak of air at %2 holding %3 % of them"},
    };
    // clang-format on
    return table;
}

std::string englishTemplate(const std::string& code)
{
    const std::vector<MessageTemplate>& table = messageTable();
    const auto found = std::find_if(table.begin(), table.end(), [&](const MessageTemplate& entry) {
        return code == entry.code;
    });
    return found == table.end() ? code : found->english;
}
