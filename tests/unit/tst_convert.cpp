// kastra-convert run as a process on small scans written with ITK's and
// GDCM's writers (NIfTI with the format's reference library): where a marker voxel
// lands under the orientation rule, the value mappings, the written grid,
// export round trips and the refusals. Expected positions and values are
// worked out by hand.

#include "app/convertermessage.h"
#include "convert/guard/librarycall.h"
#include "convert/guard/watchdog.h"
#include "convert/messages/messagetable.h"
#include "tests/fuzz/fuzzinput.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "volume/volumeloader.h"
#include "volume/volumewriter.h"

#include <QtTest>
#include <gdcmDicts.h>
#include <gdcmGlobal.h>
#include <gdcmSequenceOfItems.h>
#include <gdcmUIDGenerator.h>
#include <gdcmWriter.h>
#include <itkImageFileWriter.h>
#include <itkMetaImageIO.h>
#include <itkNrrdImageIO.h>
#include <nifti2_io.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <pty.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Extents = std::array<int, 3>;
using Matrix = std::array<std::array<double, 3>, 3>; // columns: stored axes in LPS space

// Stored axes: i towards L, j towards P, k towards S...
const Matrix kAxial{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
// ...i towards P, j towards I, k towards L (left-handed)...
const Matrix kSagittalMirrored{{{0, 0, 1}, {1, 0, 0}, {0, -1, 0}}};
// ...i towards R, j towards I, k towards A.
const Matrix kCoronal{{{-1, 0, 0}, {0, 0, -1}, {0, -1, 0}}};

struct Scan
{
    Extents extents;
    std::array<double, 3> spacing{{1, 1, 1}};
    Matrix direction = kAxial;
    std::vector<float> values; // x fastest

    Scan(int w, int h, int d, float fill = 0, const Matrix& axes = kAxial)
        : extents{{w, h, d}}, direction(axes), values(size_t(w * h * d), fill)
    {
    }
};

template <class Pixel> typename itk::Image<Pixel, 3>::Pointer toolkitImage(const Scan& scan)
{
    using Image = itk::Image<Pixel, 3>;
    auto image = Image::New();
    const Extents& e = scan.extents;
    image->SetRegions(typename Image::SizeType{{size_t(e[0]), size_t(e[1]), size_t(e[2])}});
    image->SetSpacing(scan.spacing.data());
    image->SetDirection(
        typename Image::DirectionType(vnl_matrix_fixed<double, 3, 3>(scan.direction[0].data())));
    image->Allocate();
    std::copy(scan.values.begin(), scan.values.end(), image->GetBufferPointer());
    return image;
}

// .nrrd or .mha/.mhd, of int16 samples or float ones, compressed on request.
template <class Pixel>
void writeToolkitFile(const Scan& scan, const std::string& path, bool compressed = false)
{
    auto writer = itk::ImageFileWriter<itk::Image<Pixel, 3>>::New();
    writer->SetImageIO(path.find(".nrrd") != std::string::npos
                           ? itk::ImageIOBase::Pointer(itk::NrrdImageIO::New())
                           : itk::MetaImageIO::New());
    writer->SetFileName(path);
    writer->SetUseCompression(compressed);
    writer->SetInput(toolkitImage<Pixel>(scan));
    writer->Update();
}

// Int16 NIfTI-1 with the scan's direction as its sform (unless `frame` is
// false) and `volumes` volumes, volume v holding the values plus 1000 v; or
// NIfTI-2 in big-endian order, whose header and samples are swapped here:
// the library writes neither.
void writeNifti(const Scan& scan, const std::string& path, bool frame = true, int volumes = 1,
                bool bigEndianNifti2 = false)
{
    const Extents& e = scan.extents;
    const int64_t dims[8] = {volumes > 1 ? 4 : 3, e[0], e[1], e[2], volumes, 1, 1, 1};
    nifti_image* nim = nifti_make_new_nim(dims, DT_INT16, 1);
    int16_t* samples = static_cast<int16_t*>(nim->data);
    for (size_t i = 0; i < size_t(nim->nvox); ++i)
        samples[i] = int16_t(scan.values[i % scan.values.size()] + 1000 * (i / scan.values.size()));
    nim->dx = scan.spacing[0];
    nim->dy = scan.spacing[1];
    nim->dz = scan.spacing[2];
    for (size_t axis = 0; axis < 3; ++axis)
        for (size_t row = 0; row < 3; ++row) // RAS: the toolkit's x and y reversed
            nim->sto_xyz.m[row][axis] =
                scan.direction[row][axis] * scan.spacing[axis] * (row < 2 ? -1 : 1);
    nim->sform_code = frame ? NIFTI_XFORM_SCANNER_ANAT : 0;
    if (bigEndianNifti2) {
        nim->nifti_type = NIFTI_FTYPE_NIFTI2_1;
        nifti_2_header header;
        nifti_convert_nim2n2hdr(nim, &header);
        header.vox_offset = sizeof header + 4; // after the four bytes that say "no extension"
        swap_nifti_header(&header, 2);
        nifti_swap_2bytes(nim->nvox, samples);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(&header), sizeof header)
            .write("\0\0\0\0", 4)
            .write(reinterpret_cast<const char*>(samples), std::streamsize(2 * nim->nvox));
    } else {
        nifti_set_filenames(nim, path.c_str(), 0, 1);
        nifti_image_write(nim);
    }
    nifti_image_free(nim);
}

// A header written by hand, as tools without ITK write one, for the scan's
// int16 samples in in.raw: a NRRD in the space it names ("nrrd-space:NAME")
// or in none ("nrrd-nospace"), a MetaImage stating its TransformMatrix ("mhd-matrix"),
// its AnatomicalOrientation ("mhd-letters", MetaIO's letters of where each
// axis comes from) or neither ("mhd-none").
void writeByHand(const Scan& scan, const std::string& path, const QString& format)
{
    const Extents& e = scan.extents;
    const Matrix& d = scan.direction;
    const std::vector<int16_t> samples(scan.values.begin(), scan.values.end());
    std::ofstream("in.raw", std::ios::binary)
        .write(reinterpret_cast<const char*>(samples.data()), 2 * long(samples.size()));
    std::ofstream header(path);
    if (format.startsWith("nrrd")) {
        // A space's name says where its axes point: the toolkit's (LPS) x
        // reversed where it runs to the right, y where it runs to the front.
        const std::string space = format.section(':', 1).toStdString();
        const double x = space.rfind("right", 0) == 0 ? -1 : 1,
                     y = space.find("anterior") != std::string::npos ? -1 : 1;
        header << "NRRD0004\ntype: short\ndimension: 3\nsizes: " << e[0] << ' ' << e[1] << ' '
               << e[2] << "\nencoding: raw\nendian: little\n"
               << (space.empty() ? "spacings:" : "space: " + space + "\nspace directions:");
        for (size_t axis = 0; axis < 3; ++axis) {
            const double s = scan.spacing[axis];
            if (space.empty())
                header << ' ' << s;
            else
                header << " (" << x * d[0][axis] * s << ',' << y * d[1][axis] * s << ','
                       << d[2][axis] * s << (format.endsWith("time") ? ",0)" : ")");
        }
        header << "\ndata file: in.raw\n";
        return;
    }
    header << "NDims = 3\nDimSize = " << e[0] << ' ' << e[1] << ' ' << e[2]
           << "\nElementSpacing = " << scan.spacing[0] << ' ' << scan.spacing[1] << ' '
           << scan.spacing[2] << "\nElementType = MET_SHORT\n";
    if (!format.endsWith("none")) {
        header << (format.endsWith("matrix") ? "TransformMatrix =" : "AnatomicalOrientation = ");
        for (size_t axis = 0; axis < 3; ++axis)
            for (size_t row = 0; row < 3; ++row)
                if (format.endsWith("matrix"))
                    header << ' ' << d[row][axis];
                else if (d[row][axis] != 0) // towards L comes from R, towards P from A...
                    header << (d[row][axis] > 0 ? "RAI" : "LPS")[row];
        header << '\n';
    }
    header << "ElementDataFile = in.raw\n";
}

using Tags = std::map<gdcm::Tag, std::string>;

// Text values (a sequence's items where `items` is given) into `ds`, with
// their VR from GDCM's dictionary.
void put(gdcm::DataSet& ds, const Tags& tags)
{
    for (auto [tag, value] : tags) {
        gdcm::DataElement element(tag);
        const gdcm::VR vr = gdcm::GlobalInstance.GetDicts().GetDictEntry(tag).GetVR();
        element.SetVR(vr);
        if (vr == gdcm::VR::US || vr == gdcm::VR::UL || vr == gdcm::VR::AT) { // binary
            // "1\\2" as numbers; a tag "0020,9057" as its group and element.
            std::istringstream numbers(
                vr == gdcm::VR::AT ? "0x" + value.substr(0, 4) + "\\0x" + value.substr(5) : value);
            value.clear();
            for (std::string number; std::getline(numbers, number, '\\');) {
                const uint32_t binary = uint32_t(std::stoul(number, nullptr, 0));
                value.append(reinterpret_cast<const char*>(&binary), vr == gdcm::VR::UL ? 4 : 2);
            }
        } else if (value.size() % 2) {
            value += vr == gdcm::VR::UI ? '\0' : ' ';
        }
        element.SetByteValue(value.data(), uint32_t(value.size()));
        ds.Replace(element);
    }
}

void putItems(gdcm::DataSet& ds, const gdcm::Tag& tag, const std::vector<gdcm::DataSet>& items)
{
    gdcm::SmartPointer<gdcm::SequenceOfItems> sequence = new gdcm::SequenceOfItems;
    for (const gdcm::DataSet& nested : items) {
        gdcm::Item item;
        item.SetNestedDataSet(nested);
        sequence->AddItem(item);
    }
    gdcm::DataElement element(tag);
    element.SetVR(gdcm::VR::SQ);
    element.SetValue(*sequence);
    element.SetVLToUndefined();
    ds.Replace(element);
}

// A sequence of one item holding `tags`.
void putItem(gdcm::DataSet& ds, const gdcm::Tag& tag, const Tags& tags)
{
    gdcm::DataSet nested;
    put(nested, tags);
    putItems(ds, tag, {nested});
}

std::string joined(const double* values, size_t count)
{
    std::ostringstream text;
    for (size_t i = 0; i < count; ++i)
        text << (i ? "\\" : "") << values[i];
    return text.str();
}

// A DICOM image file of int16 pixels (frames one after another), written
// with GDCM.
void writeDicom(const std::string& path, gdcm::DataSet ds, int columns, int rows,
                const std::vector<int16_t>& pixels,
                const char* sopClass = "1.2.840.10008.5.1.4.1.1.2")
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    gdcm::UIDGenerator uid;
    gdcm::DataSet file; // the image's defaults, then the caller's elements
    put(file, {{{0x0008, 0x0016}, sopClass},
               {{0x0008, 0x0018}, uid.Generate()},
               {{0x0028, 0x0002}, "1"},
               {{0x0028, 0x0004}, "MONOCHROME2"},
               {{0x0028, 0x0010}, std::to_string(rows)},
               {{0x0028, 0x0011}, std::to_string(columns)},
               {{0x0028, 0x0100}, "16"},
               {{0x0028, 0x0101}, "16"},
               {{0x0028, 0x0102}, "15"},
               {{0x0028, 0x0103}, "1"}});
    for (const gdcm::DataElement& element : ds.GetDES())
        file.Replace(element);
    ds = file;
    if (pixels.size() > size_t(columns * rows))
        put(ds, {{{0x0028, 0x0008}, std::to_string(pixels.size() / size_t(columns * rows))}});
    gdcm::DataElement data(gdcm::Tag(0x7fe0, 0x0010));
    data.SetVR(gdcm::VR::OW);
    data.SetByteValue(reinterpret_cast<const char*>(pixels.data()), uint32_t(2 * pixels.size()));
    ds.Replace(data);
    gdcm::Writer writer;
    writer.SetFileName(path.c_str());
    writer.GetFile().SetDataSet(ds);
    writer.GetFile().GetHeader().SetDataSetTransferSyntax(
        gdcm::TransferSyntax::ExplicitVRLittleEndian);
    QVERIFY(writer.Write());
}

// One slice of a classic series: `slice` of the scan (values in Hounsfield
// units, stored + 1024 with the rescale intercept -1024) at `position`.
void writeSlice(const std::string& path, const Scan& scan, int slice, const double* position,
                const std::string& uid, Tags tags = {})
{
    const Extents& e = scan.extents;
    const Matrix& d = scan.direction;
    const double orientation[6] = {d[0][0], d[1][0], d[2][0], d[0][1], d[1][1], d[2][1]};
    const double spacing[2] = {scan.spacing[1], scan.spacing[0]};
    tags.insert({{{0x0020, 0x000e}, uid},
                 {{0x0008, 0x0060}, "CT"},
                 {{0x0020, 0x0032}, joined(position, 3)},
                 {{0x0020, 0x0037}, joined(orientation, 6)},
                 {{0x0028, 0x0030}, joined(spacing, 2)},
                 {{0x0028, 0x1052}, "-1024"},
                 {{0x0028, 0x1053}, "1"}});
    gdcm::DataSet ds;
    put(ds, tags);
    const size_t size = size_t(e[0] * e[1]);
    std::vector<int16_t> pixels(size);
    for (size_t i = 0; i < size; ++i)
        pixels[i] = int16_t(scan.values[size * size_t(slice) + i] + 1024);
    writeDicom(path, ds, e[0], e[1], pixels);
}

// A series, a file a slice, named against the slice order; slice k lies
// k x `drift` mm down a column further than the grid puts it (a gantry tilt),
// and `moved` mm further along the normal where the map says.
std::vector<std::string> writeDicomSeries(const Scan& scan, const std::string& folder,
                                          const std::string& uid, double drift = 0,
                                          const Tags& tags = {},
                                          const std::map<int, double>& moved = {})
{
    static int written = 0;
    std::vector<std::string> names;
    const Matrix& d = scan.direction;
    for (int z = 0; z < scan.extents[2]; ++z) {
        double position[3];
        for (size_t row = 0; row < 3; ++row)
            position[row] = d[row][2] * (z * scan.spacing[2] + (moved.count(z) ? moved.at(z) : 0)) +
                            d[row][1] * z * drift;
        names.push_back(folder + "/IM" + std::to_string(100000 - ++written));
        writeSlice(names.back(), scan, z, position, uid, tags);
    }
    return names;
}

// The 4-D inputs below hold three axial volumes of 2 x 2 x 3 voxels of 2 mm,
// each 100 but for a marker of 900 at (0, 1) of slice v in volume v.
std::vector<int16_t> volumeValues(int v)
{
    std::vector<int16_t> values(12, 100);
    values[size_t(2 + 4 * v)] = 900;
    return values;
}

// Volume v's temporal position is positions[v].
void writeClassic4d(const std::string& folder, const std::vector<int>& positions = {1, 2, 3})
{
    for (int v = 0; v < 3; ++v) {
        Scan scan(2, 2, 3);
        scan.spacing = {{2, 2, 2}};
        const std::vector<int16_t> values = volumeValues(v);
        scan.values.assign(values.begin(), values.end());
        writeDicomSeries(scan, folder, "1.2.3", 0,
                         {{{0x0020, 0x0100}, std::to_string(positions[size_t(v)])}});
    }
}

// An enhanced MR file of two of the volumes, frames stored position by
// position: the first's frames a field map (B0), the second's of kind M; or,
// `byIndex`, told apart only by their dimension index values, which count
// from 1 and list the temporal position before the stack position. The
// shared pixel spacing of 3 mm is each frame's own 2 mm.
void writeMultiFrame(const std::string& path, bool byIndex = false)
{
    gdcm::DataSet ds, shared;
    put(ds, {{{0x0020, 0x000e}, "1.2.4"}, {{0x0008, 0x0060}, "MR"}});
    gdcm::DataSet temporal, stack;
    put(temporal, {{{0x0020, 0x9165}, "0020,9128"}});
    put(stack, {{{0x0020, 0x9165}, "0020,9057"}});
    if (byIndex)
        putItems(ds, {0x0020, 0x9222}, {temporal, stack});
    putItem(shared, {0x0028, 0x9110}, {{{0x0028, 0x0030}, "3\\3"}});
    putItem(shared, {0x0020, 0x9116}, {{{0x0020, 0x0037}, "1\\0\\0\\0\\1\\0"}});
    putItems(ds, {0x5200, 0x9229}, {shared});
    std::vector<gdcm::DataSet> frames;
    std::vector<int16_t> pixels;
    for (int z = 0; z < 3; ++z)
        for (int v = 0; v < 2; ++v) {
            gdcm::DataSet frame;
            putItem(frame, {0x0020, 0x9113},
                    {{{0x0020, 0x0032}, "0\\0\\" + std::to_string(2 * z)}});
            putItem(frame, {0x0028, 0x9110}, {{{0x0028, 0x0030}, "2\\2"}});
            if (byIndex)
                putItem(frame, {0x0020, 0x9111},
                        {{{0x0020, 0x9157}, std::to_string(v + 1) + "\\" + std::to_string(z + 1)}});
            else
                putItem(frame, {0x0018, 0x9226},
                        {{{0x0008, 0x9007},
                          v ? "ORIGINAL\\PRIMARY\\M\\M" : "ORIGINAL\\PRIMARY\\B0\\B0"}});
            frames.push_back(frame);
            const std::vector<int16_t> values = volumeValues(v);
            pixels.insert(pixels.end(), values.begin() + 4 * z, values.begin() + 4 * z + 4);
        }
    putItems(ds, {0x5200, 0x9230}, frames);
    writeDicom(path, ds, 2, 2, pixels, "1.2.840.10008.5.1.4.1.1.4.1");
}

// The scanner's private (CSA) header of a mosaic: its number of tiles and
// the direction they advance in, in the SV10 layout.
std::string csaHeader(int tiles, const std::string& normal)
{
    std::string bytes = std::string("SV10\4\3\2\1") + std::string(8, '\0');
    bytes[8] = 2;
    bytes[12] = 77;
    // The type codes Syngo gives its VRs: US 10, FD 4.
    const auto add = [&](const char* name, const char* vr, char type,
                         const std::vector<std::string>& items) {
        std::string tag(84, '\0');
        tag.replace(0, strlen(name), name);
        tag.replace(68, 2, vr);
        tag[64] = char(items.size());
        tag[72] = type;
        tag[76] = 6; // items, in sixes: the values, then empty ones
        tag[80] = 77;
        bytes += tag;
        for (size_t i = 0; i < 6; ++i) {
            const std::string item = i < items.size() ? items[i] + '\0' : "";
            const char length = char(item.size());
            bytes += std::string{length, 0, 0, 0, length, 0, 0, 0, 77, 0, 0, 0, length, 0, 0, 0};
            bytes += item + std::string((4 - item.size() % 4) % 4, '\0');
        }
    };
    add("NumberOfImagesInMosaic", "US", 10, {std::to_string(tiles)});
    std::istringstream components(normal);
    std::vector<std::string> items;
    for (std::string item; std::getline(components, item, ' ');)
        items.push_back(item);
    add("SliceNormalVector", "FD", 4, items);
    return bytes;
}

// Volume v as a mosaic file: its 3 slices tiled 2 x 2; the tiles advance
// against the normal of the rows and columns (from z = 4 mm down to 0), and
// the image position is that of a slice as large as the mosaic, centred on
// the first tile. `isSigned`: 12-bit signed pixels, the values stored - 1000.
void writeMosaic(const std::string& path, int v, bool isSigned = false)
{
    gdcm::DataSet ds;
    put(ds, {{{0x0020, 0x000e}, "1.2.5"},
             {{0x0008, 0x0060}, "MR"},
             {{0x0008, 0x0008}, "ORIGINAL\\PRIMARY\\M\\ND\\MOSAIC"},
             {{0x0020, 0x0012}, std::to_string(v + 1)},
             {{0x0018, 0x0088}, "2"},
             {{0x0020, 0x0032}, "-2\\-2\\4"},
             {{0x0020, 0x0037}, "1\\0\\0\\0\\1\\0"},
             {{0x0028, 0x0030}, "2\\2"},
             {{0x0028, 0x0103}, "0"},
             {{0x0029, 0x0010}, "SIEMENS CSA HEADER"}});
    if (isSigned)
        put(ds, {{{0x0028, 0x0101}, "12"},
                 {{0x0028, 0x0102}, "11"},
                 {{0x0028, 0x0103}, "1"},
                 {{0x0028, 0x1052}, "1000"},
                 {{0x0028, 0x1053}, "1"}});
    const std::string csa = csaHeader(3, "0 0 -1");
    gdcm::DataElement element(gdcm::Tag(0x0029, 0x1010));
    element.SetVR(gdcm::VR::OB);
    element.SetByteValue(csa.data(), uint32_t(csa.size()));
    ds.Replace(element);
    const std::vector<int16_t> values = volumeValues(v);
    std::vector<int16_t> mosaic(16, 0);
    for (int t = 0; t < 3; ++t) // tile t holds the slice at z = 4 - 2t
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                mosaic[size_t(x + 2 * (t % 2) + 4 * (y + 2 * (t / 2)))] =
                    int16_t(values[size_t(x + 2 * y + 4 * (2 - t))] - (isSigned ? 1000 : 0));
    writeDicom(path, ds, 4, 4, mosaic, "1.2.840.10008.5.1.4.1.1.4");
}

// Writes the scan as `format` ("dicom", "dicom-12bit", "nii.gz", "nii",
// "nii-noframe", "nii-noframe-4d", "nii-noframe-nifti2be", "nrrd",
// "nrrd-float", "mha", or one written by hand); returns its INPUT name. The
// 12-bit series stores signed values in the low 12 bits, overlay bits above
// them. "nrrd-uint16" writes unsigned samples; a NIfTI's "+TEXT", TEXT as its
// sidecar in.json.
QString writeScan(const Scan& scan, const QString& format)
{
    if (format.startsWith("dicom")) {
        const bool bits12 = format.endsWith("12bit");
        const Tags stored12{{{0x0028, 0x0101}, "12"}, {{0x0028, 0x0102}, "11"}};
        const std::vector<std::string> files =
            writeDicomSeries(scan, "series", "1.2.3.4", 0, bits12 ? stored12 : Tags{});
        for (size_t f = 0; f < files.size() && bits12; ++f) {
            std::fstream slice(files[f], std::ios::in | std::ios::out | std::ios::binary);
            const std::streamoff bytes = 2 * scan.extents[0] * scan.extents[1]; // last in the file
            std::vector<uint16_t> pixels(size_t(bytes / 2));
            slice.seekg(-bytes, std::ios::end).read(reinterpret_cast<char*>(pixels.data()), bytes);
            for (uint16_t& pixel : pixels)
                pixel = uint16_t((pixel & 0x0fff) | 0xb000);
            slice.seekp(-bytes, std::ios::end).write(reinterpret_cast<char*>(pixels.data()), bytes);
        }
        return "series";
    }
    const std::string name = "in." + format.section('-', 0, 0).section('+', 0, 0).toStdString();
    if (format.contains('+'))
        std::ofstream("in.json") << format.section('+', 1).toStdString();
    if (format.startsWith("nrrd-space:") || format.startsWith("mhd-") || format == "nrrd-nospace")
        writeByHand(scan, name, format);
    else if (format.startsWith("nii"))
        writeNifti(scan, name, !format.contains("noframe"), format.endsWith("4d") ? 2 : 1,
                   format.endsWith("nifti2be"));
    else if (format.endsWith("float"))
        writeToolkitFile<float>(scan, name);
    else if (format.endsWith("uint16"))
        writeToolkitFile<uint16_t>(scan, name);
    else
        writeToolkitFile<int16_t>(scan, name, format.endsWith("gzip"));
    return QString::fromStdString(name);
}

struct Run
{
    int status = -1;
    QString out, err;
    SampleVolume volume; // the written .dat
};

Run convert(const QStringList& arguments,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(KASTRA_CONVERT, arguments);
    process.waitForFinished(60000);
    const int status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    Run run{status, process.readAllStandardOutput(), process.readAllStandardError(), {}};
    readVolumeSamples(arguments.value(1).toStdString(), run.volume);
    return run;
}

// A code line's message as "code(argument, ...)", a message argument alike.
QString codeTree(const QJsonValue& message)
{
    if (!message.isObject())
        return message.toString();
    QStringList arguments;
    for (const QJsonValue& argument : message["arguments"].toArray())
        arguments << codeTree(argument);
    return message["code"].toString() + "(" + arguments.join(", ") + ")";
}

QJsonObject codeLine(const QString& line, const QString& kind)
{
    return line.startsWith(kind + " {")
               ? QJsonDocument::fromJson(line.mid(kind.size() + 1).toUtf8()).object()
               : QJsonObject();
}

// How long the child that converts has run, in nanoseconds, the converter
// `pid` being its watchdog; -1 when there is none.
long long converterRunTime(pid_t pid)
{
    const std::string task = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid);
    long long child = 0, nanoseconds = -1;
    if (std::ifstream(task + "/children") >> child)
        std::ifstream("/proc/" + std::to_string(child) + "/schedstat") >> nanoseconds;
    return nanoseconds;
}

// A run whose standard output is a terminal and error stream a pipe, or the
// other way round (its error stream is then not read). Once it has named the
// output grid and run on for a millisecond, into the mapping of the values
// however loaded the machine, the converter is stopped for over a second:
// that stage then takes long enough to draw a bar. With `cancel`, a SIGTERM
// cancels it instead, at its first line (the earliest, as a loaded machine
// may read the lines late), its child still stopped. A run that leaves a
// process of its own behind (ended then) has the status -1.
Run stoppedConversion(const QStringList& arguments, bool terminal, bool cancel = false)
{
    int master = -1, piped[2] = {-1, -1};
    const pid_t child = pipe(piped) == 0 ? forkpty(&master, nullptr, nullptr, nullptr) : -1;
    if (child < 0)
        return {};
    if (child == 0) {
        dup2(piped[1], terminal ? STDERR_FILENO : STDOUT_FILENO);
        std::vector<std::string> texts{KASTRA_CONVERT};
        for (const QString& argument : arguments)
            texts.push_back(argument.toStdString());
        std::vector<char*> argv;
        for (std::string& text : texts)
            argv.push_back(text.data());
        argv.push_back(nullptr);
        execv(KASTRA_CONVERT, argv.data());
        _exit(127);
    }
    close(piped[1]);
    const int out = terminal ? master : piped[0];
    QString text;
    char buffer[4096];
    bool stopped = false;
    for (;;) {
        const ssize_t count = read(out, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) // the stop and the continuation signal us
            continue;
        if (count <= 0)
            break;
        text += QString::fromLocal8Bit(buffer, int(count));
        if (!stopped && text.contains(cancel ? "- Input:" : "- Output:")) {
            const long long said = converterRunTime(child);
            long long now = said;
            while (now >= 0 && now - said < 1000000) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                now = converterRunTime(child);
            }
            kill(-child, SIGSTOP); // the converter and its watchdog, a group of their own
            if (cancel) {
                kill(child, SIGTERM);
                kill(child, SIGCONT);
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(1100));
                kill(-child, SIGCONT);
            }
            stopped = true;
        }
    }
    int status = -1;
    waitpid(child, &status, 0);
    // The converter and its watchdog are a group of their own.
    const bool left = kill(-child, SIGKILL) == 0;
    Run run{WIFEXITED(status) && !left ? WEXITSTATUS(status) : -1, text, {}, {}};
    QFile err;
    if (terminal && err.open(piped[0], QIODevice::ReadOnly))
        run.err = err.readAll();
    close(master);
    close(piped[0]);
    return run;
}

// Whether the run succeeded quietly, its console line "- Output: W x H x D
// voxels of ..." says `output`, and W x H x D were written.
bool saysOutput(const Run& run, const QString& output)
{
    const SampleVolume& v = run.volume;
    return run.status == 0 && run.err.isEmpty() && run.out.contains("- Output: " + output) &&
           output.startsWith(
               QString("%1 x %2 x %3 voxels").arg(v.width).arg(v.height).arg(v.depth));
}

void shorten(const std::string& path, int bytes)
{
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - uint64_t(bytes));
}

} // namespace

Q_DECLARE_METATYPE(Matrix)
Q_DECLARE_METATYPE(Extents)

class TestConvert : public QObject
{
    Q_OBJECT

private slots:
    // A 5 x 4 x 3 scan of 5 x 4 x 3 mm voxels, on its own grid, with one
    // marker voxel at stored (1, 1, 0): off every axis' centre, so that any
    // reversal shows. Written x runs left to right, y posterior to anterior,
    // z inferior to superior (RAS+); a stored axis pointing the other way is
    // read backwards; the spacing goes with its axis.
    void markerLandsWhereTheOrientationRulePutsIt_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<Matrix>("direction");
        QTest::addColumn<QString>("output"); // the "- Output:" line's rest
        QTest::addColumn<Extents>("marker");
        const QString stored = "5 x 4 x 3 voxels of 5 x 4 x 3 mm";
        // x = 2 - k (k runs to L); y = 4 - i (i runs to P); z = 3 - j (j runs
        // to I). Three reversals undo the mirror.
        const QString sagittal = "3 x 5 x 4 voxels of 3 x 5 x 4 mm";
        const Extents sagittalMarker{{2, 3, 2}};
        QTest::newRow("DICOM sagittal")
            << "dicom" << kSagittalMirrored << sagittal << sagittalMarker;
        QTest::newRow("NIfTI sagittal") << "nii" << kSagittalMirrored << sagittal << sagittalMarker;
        QTest::newRow("NRRD sagittal (LPS)")
            << "nrrd" << kSagittalMirrored << sagittal << sagittalMarker;
        QTest::newRow("MetaImage sagittal, AnatomicalOrientation only")
            << "mhd-letters" << kSagittalMirrored << sagittal << sagittalMarker;
        // x = i (i runs to R); y = k (k runs to A); z = 3 - j.
        const QString coronal = "5 x 3 x 4 voxels of 5 x 3 x 4 mm";
        QTest::newRow("NIfTI coronal, gzip")
            << "nii.gz" << kCoronal << coronal << Extents{{1, 0, 2}};
        QTest::newRow("NRRD coronal, RAS by hand")
            << "nrrd-space:right-anterior-superior" << kCoronal << coronal << Extents{{1, 0, 2}};
        QTest::newRow("NRRD coronal, RAS with time") << "nrrd-space:right-anterior-superior-time"
                                                     << kCoronal << coronal << Extents{{1, 0, 2}};
        // x = 4 - i (i runs to L), y = j (j runs to A), z = k.
        QTest::newRow("NRRD LAS by hand, its own axes")
            << "nrrd-space:left-anterior-superior" << Matrix{{{1, 0, 0}, {0, -1, 0}, {0, 0, 1}}}
            << stored << Extents{{3, 1, 0}};
        QTest::newRow("NRRD sagittal, LAS with time")
            << "nrrd-space:left-anterior-superior-time" << kSagittalMirrored << sagittal
            << sagittalMarker;
        QTest::newRow("MetaImage coronal, TransformMatrix only")
            << "mhd-matrix" << kCoronal << coronal << Extents{{1, 0, 2}};
        // x = 4 - i (i runs to L); y = 3 - j (j runs to P); z = k. ITK writes
        // this frame as the identity and "RAI", which must not contradict.
        QTest::newRow("MetaImage axial") << "mha" << kAxial << stored << Extents{{3, 2, 0}};
        QTest::newRow("NRRD axial, LPS with time")
            << "nrrd-space:left-posterior-superior-time" << kAxial << stored << Extents{{3, 2, 0}};
        // No patient frame: the first row at the top, which is the written y
        // reversed: y = 3 - j.
        QTest::newRow("NIfTI without frame")
            << "nii-noframe" << kCoronal << stored << Extents{{1, 2, 0}};
        QTest::newRow("NRRD without space")
            << "nrrd-nospace" << kCoronal << stored << Extents{{1, 2, 0}};
        QTest::newRow("NRRD in the scanner's space")
            << "nrrd-space:scanner-xyz" << kCoronal << stored << Extents{{1, 2, 0}};
        QTest::newRow("MetaImage without orientation")
            << "mhd-none" << kCoronal << stored << Extents{{1, 2, 0}};
    }

    void markerLandsWhereTheOrientationRulePutsIt()
    {
        QFETCH(QString, format);
        QFETCH(Matrix, direction);
        QFETCH(QString, output);
        QFETCH(Extents, marker);
        TestFolder folder;
        Scan scan(5, 4, 3, 100, direction);
        scan.spacing = {{5, 4, 3}};
        scan.values[1 + 5 * 1] = 900;
        const Run run = convert({writeScan(scan, format), "out.dat", "--keep-grid"});
        QVERIFY2(saysOutput(run, output), qPrintable(run.out + run.err));
        const std::vector<uint16_t>& samples = run.volume.samples; // all alike but the marker
        QCOMPARE(std::count(samples.begin(), samples.end(), samples[0]), long(samples.size() - 1));
        QVERIFY(run.volume.at(marker[0], marker[1], marker[2]) > samples[0]);
    }

    // A column of values in (one sample a row), a column of 12-bit samples
    // out, and the count of clamped ones.
    void valuesMapByTheFirstRuleThatApplies_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<std::vector<float>>("values");
        QTest::addColumn<std::vector<uint16_t>>("samples");
        QTest::addColumn<int>("clamped");
        using In = std::vector<float>;
        using Out = std::vector<uint16_t>;
        QTest::newRow("integers within 0..4095: unchanged")
            << "nrrd" << QStringList{} << In{0, 7, 4095} << Out{0, 7, 4095} << 0;
        // Compressed MetaImage samples, tried before MetaIO reads them.
        QTest::newRow("compressed MetaImage")
            << "mha-gzip" << QStringList{} << In{0, 7, 4000} << Out{0, 7, 4000} << 0;
        QTest::newRow("compressed MetaImage, samples beside")
            << "mhd-gzip" << QStringList{} << In{0, 7, 4000} << Out{0, 7, 4000} << 0;
        QTest::newRow("integers outside: their range") // 100 / 400 * 4095 = 1023.75
            << "nrrd" << QStringList{} << In{-100, 0, 300} << Out{0, 1024, 4095} << 0;
        QTest::newRow("floats: their range")
            << "nrrd-float" << QStringList{} << In{0, 0.25f, 1} << Out{0, 1024, 4095} << 0;
        // -2000 is padding: air, not a clamped sample.
        QTest::newRow("--ct: HU + 1024")
            << "nrrd" << QStringList{"--ct"} << In{-2000, -1024, 0, 3071, 3500}
            << Out{0, 0, 1024, 4095, 4095} << 1;
        // Integers from -1024 with a peak of air near -1000 are CT; no peak
        // (a ramp) or --no-ct, not; a padding value is air.
        const In hu{-1024, -1000, -1000, -1000, 40, 1000};
        const Out huOut{0, 24, 24, 24, 1064, 2024};
        const Out huRange{0, 49, 49, 49, 2153, 4095}; // 24 / 2024 * 4095 = 48.6
        QTest::newRow("HU in NRRD") << "nrrd" << QStringList{} << hu << huOut << 0;
        QTest::newRow("HU as floats") << "nrrd-float" << QStringList{} << hu << huOut << 0;
        QTest::newRow("HU, --no-ct: their range")
            << "nrrd" << QStringList{"--no-ct"} << hu << huRange << 0;
        QTest::newRow("a ramp from -1024: no air, its range")
            << "nrrd" << QStringList{} << In{-1024, -984, -944, -904} << Out{0, 1365, 2730, 4095}
            << 0;
        QTest::newRow("HU padded with -3024")
            << "nrrd" << QStringList{} << In{-3024, -3024, -1000, -1000, -1000, 40}
            << Out{0, 0, 24, 24, 24, 1064} << 0;
        QTest::newRow("HU + 1024 as uint16: unchanged")
            << "nrrd-uint16" << QStringList{} << In{0, 24, 1064} << Out{0, 24, 1064} << 0;
        // A BIDS sidecar says what the samples are; one that is no JSON, nothing.
        QTest::newRow("a sidecar says CT") << "nii-noframe+{\"Modality\": \"CT\"}" << QStringList{}
                                           << In{0, 100} << Out{1024, 1124} << 0;
        QTest::newRow("a sidecar says MR, over HU")
            << "nii-noframe+{\"Modality\": \"MR\"}" << QStringList{} << hu << huRange << 0;
        QTest::newRow("a broken sidecar: the samples decide")
            << "nii-noframe+{\"Modality\": " << QStringList{} << hu << huOut << 0;
        QTest::newRow("CT series: HU + 1024")
            << "dicom" << QStringList{} << In{-1024, 0, 2000} << Out{0, 1024, 3024} << 0;
        // Stored -6, 1024 and 2024 in 12 bits, 0xb000 above: the overlay bits
        // dropped and -6 sign-extended.
        QTest::newRow("12-bit signed CT series")
            << "dicom-12bit" << QStringList{} << In{-1030, 0, 1000} << Out{0, 1024, 2024} << 1;
        QTest::newRow("big-endian NIfTI-2")
            << "nii-noframe-nifti2be" << QStringList{} << In{0, 7, 4000} << Out{0, 7, 4000} << 0;
        QTest::newRow("--window 0 4095 keeps and clamps")
            << "nrrd" << QStringList{"--window", "0", "4095"} << In{-5, 100, 4000, 5000}
            << Out{0, 100, 4000, 4095} << 2;
        QTest::newRow("--window -100 300")
            << "nrrd-float" << QStringList{"--window", "-100", "300"} << In{-100, 0, 300, 400}
            << Out{0, 1024, 4095, 4095} << 1;
        QTest::newRow("4-D NIfTI --volume 1: the values + 1000")
            << "nii-noframe-4d" << QStringList{"--volume", "1"} << In{1, 2} << Out{1001, 1002} << 0;
    }

    void valuesMapByTheFirstRuleThatApplies()
    {
        QFETCH(QString, format);
        QFETCH(QStringList, options);
        QFETCH(std::vector<float>, values);
        QFETCH(std::vector<uint16_t>, samples);
        QFETCH(int, clamped);
        TestFolder folder;
        Scan scan(1, 1, int(values.size())); // along z, which runs to S: kept in order
        scan.values = values;
        const Run run = convert(QStringList{writeScan(scan, format), "out.dat"} + options);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.volume.samples, samples);
        QVERIFY2(run.out.contains(QString(", %1 sample").arg(clamped)), qPrintable(run.out));
    }

    // With --codes, the reason for reading the values as CT or not also comes
    // as a code line for a program, just before the values line; the other
    // lines stay as they are without.
    void reasonsComeAsCodesToo_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<std::vector<float>>("values");
        QTest::addColumn<QString>("coded"); // "" where no reason is given
        // Air's bin (-1020..-980) holds 3 of the 4 samples that are not padding.
        QTest::newRow("HU padded with -3024")
            << "nrrd" << QStringList{} << std::vector<float>{-3024, -3024, -1000, -1000, -1000, 40}
            << "hounsfield-samples-padded(-3024, -1000, 75)";
        QTest::newRow("a sidecar says MR")
            << "nii-noframe+{\"Modality\": \"MR\"}" << QStringList{} << std::vector<float>{0, 100}
            << "sidecar-modality(in.json, MR)";
        QTest::newRow("--no-ct") << "nrrd" << QStringList{"--no-ct"} << std::vector<float>{0, 100}
                                 << "no-ct-option()";
        QTest::newRow("--window") << "nrrd" << QStringList{"--window", "0", "4095"}
                                  << std::vector<float>{0, 100} << "";
    }

    void reasonsComeAsCodesToo()
    {
        QFETCH(QString, format);
        QFETCH(QStringList, options);
        QFETCH(std::vector<float>, values);
        QFETCH(QString, coded);
        TestFolder folder;
        Scan scan(1, 1, int(values.size()));
        scan.values = values;
        const QStringList arguments = QStringList{writeScan(scan, format), "out.dat"} + options;
        const auto timeless = [](QString text) {
            return text.replace(QRegularExpression(" in [0-9.]+ s\\."), " in s.");
        };
        const Run plain = convert(arguments);
        const Run run = convert(arguments + QStringList{"--codes"});
        QCOMPARE(run.status, 0);
        QStringList lines = run.out.split('\n');
        const int valuesLine = lines.indexOf(QRegularExpression("^- Values: .*"));
        QVERIFY2(valuesLine > 0, qPrintable(run.out));
        const QJsonObject reason = codeLine(lines[valuesLine - 1], "reason");
        QCOMPARE(reason.isEmpty() ? "" : codeTree(reason), coded);
        if (!reason.isEmpty()) {
            QVERIFY(lines[valuesLine].contains("CT: " + reason["text"].toString() + ")"));
            lines.removeAt(valuesLine - 1);
        }
        QCOMPARE(timeless(lines.join('\n')), timeless(plain.out));
    }

    // Debian's CT head in its Hounsfield units, written as NIfTI by Python's
    // struct and gzip, by the NIfTI library, as NRRD and MetaImage by ITK
    // and as a NRRD header by hand: each is CT by its samples and gets
    // HU + 1024 in every voxel (counted by value: the formats' orientations
    // differ). Padded with -3024, it converts as unpadded (the padding read
    // as air before resampling).
    void aCtIsKnownByItsValues()
    {
        if (!QFile::exists("/usr/share/doc/invesalius-examples/examples/Cranium.inv3"))
            QSKIP("no CT head: install invesalius-examples");
        TestFolder folder;
        QProcess python;
        python.start(KASTRA_PYTHON, {KASTRA_CT_HEAD_SCRIPT, "."});
        QVERIFY(python.waitForFinished(60000) && python.exitCode() == 0);
        const QStringList shape = QString(python.readAllStandardOutput()).split(' ');
        Scan head(shape[0].toInt(), shape[1].toInt(), shape[2].toInt());
        head.spacing = {{shape[3].toDouble(), shape[4].toDouble(), shape[5].toDouble()}};
        std::vector<int16_t> hu(head.values.size());
        std::ifstream("hu.raw", std::ios::binary)
            .read(reinterpret_cast<char*>(hu.data()), std::streamsize(2 * hu.size()));
        std::vector<uint32_t> expected(4096);
        for (size_t i = 0; i < hu.size(); ++i) {
            head.values[i] = hu[i];
            ++expected[size_t(hu[i] + 1024)];
        }
        const auto counts = [](const SampleVolume& volume) {
            std::vector<uint32_t> counted(4096);
            for (uint16_t sample : volume.samples)
                ++counted[sample];
            return counted;
        };
        writeNifti(head, "library.nii", false);
        writeToolkitFile<int16_t>(head, "head.nrrd");
        writeToolkitFile<int16_t>(head, "head.mha", true);
        writeByHand(head, "hand.nhdr", "nrrd-nospace");
        for (const char* file :
             {"ct.nii.gz", "library.nii", "head.nrrd", "head.mha", "hand.nhdr"}) {
            const Run run = convert({file, "out.dat", "--keep-grid"});
            QVERIFY2(run.out.contains("- Values: HU + 1024 (CT: its samples look like Hounsfield "
                                      "units: integers from -1024, with a peak of air at -1000"),
                     qPrintable(run.out + run.err));
            QVERIFY2(counts(run.volume) == expected, file);
        }

        Scan padded = head;
        for (size_t i = 0; i < hu.size(); ++i)
            padded.values[i] = hu[i] == -1024 ? -3024 : hu[i];
        writeToolkitFile<int16_t>(padded, "padded.nrrd");
        const Run air = convert({"padded.nrrd", "padded.dat"});
        QVERIFY2(air.out.contains(", the padding -3024 written as air's 0"), qPrintable(air.out));
        QVERIFY(air.volume.samples == convert({"head.nrrd", "out.dat"}).volume.samples);
    }

    // Along z, slices of 0, 300, 600, stored in a NRRD whose x runs to P and
    // y to R: turned about z, which is written as stored.
    void gridIsResampledToCubesOrShrunk_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<double>("sliceSpacing");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QVector<int>>("profile"); // along z at x = y = 0
        // 0.5 mm cubes: 2 x 1.5 mm / 0.5 mm + 1 = 7 slices, 100 apart.
        QTest::newRow("anisotropic: cubes")
            << QStringList{} << 1.5 << "2 x 2 x 7 voxels of 0.5 x 0.5 x 0.5 mm"
            << QVector<int>{0, 100, 200, 300, 400, 500, 600};
        QTest::newRow("--keep-grid")
            << QStringList{"--keep-grid"} << 1.5 << "2 x 2 x 3 voxels of 0.5 x 0.5 x 1.5 mm"
            << QVector<int>{0, 300, 600};
        // A 2.2 mm span holds four 0.5 mm steps, centred: 0.1 mm in, so at
        // 0.1, 0.6, 1.1, 1.6, 2.1 mm, 300 per 1.1 mm.
        QTest::newRow("cubes centred in the span")
            << QStringList{} << 1.1 << "2 x 2 x 5 voxels of 0.5 x 0.5 x 0.5 mm"
            << QVector<int>{27, 164, 300, 436, 573};
        // Blocks of 2: the third slice dropped; the average of 0 and 300.
        QTest::newRow("--shrink 2") << QStringList{"--shrink", "2", "--keep-grid"} << 1.5
                                    << "1 x 1 x 1 voxels of 1 x 1 x 3 mm" << QVector<int>{150};
    }

    void gridIsResampledToCubesOrShrunk()
    {
        QFETCH(QStringList, options);
        QFETCH(double, sliceSpacing);
        QFETCH(QString, output);
        QFETCH(QVector<int>, profile);
        TestFolder folder;
        Scan scan(2, 2, 3, 0, {{{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}});
        scan.spacing = {{0.5, 0.5, sliceSpacing}};
        for (size_t i = 0; i < scan.values.size(); ++i)
            scan.values[i] = float(300 * (i / 4));
        const Run run = convert(QStringList{writeScan(scan, "nrrd"), "out.dat"} + options);
        QVERIFY2(saysOutput(run, output), qPrintable(run.out + run.err));
        QVector<int> alongZ;
        for (int z = 0; z < run.volume.depth; ++z)
            alongZ << run.volume.at(0, 0, z);
        QCOMPARE(alongZ, profile);
    }

    // Where the marker lands tells which volume was written: axial, so
    // written x = 1 - i, y = 1 - j, z = k; volume v's marker at (1, 0, v).
    void volumesOfA4dSeriesAreToldApart_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("volume");
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("marker"); // the written volume's marker's z
        QTest::newRow("classic files, by temporal position")
            << "classic" << 2
            << "- Volumes: 3 at each of 3 positions, told apart by temporal position; writing "
               "volume 2 (--volume N chooses)\n  volume 0: temporal position 1\n"
            << 2;
        // Numbers in order, not as text: 10 after 9.
        QTest::newRow("classic files, temporal positions 2, 10, 9")
            << "classic 2 10 9" << 2 << "  volume 2: temporal position 10\n"
            << 1;
        QTest::newRow("an enhanced multi-frame file alone, by the frames' kind")
            << "multi-frame file" << 1 << "  volume 1: image type ORIGINAL\\PRIMARY\\M\\M\n"
            << 1;
        QTest::newRow("enhanced multi-frame, by dimension index")
            << "multi-frame by index" << 1 << "  volume 1: dimension index 2\n"
            << 1;
        QTest::newRow("mosaics, by acquisition")
            << "mosaic" << 0 << "- Volumes: 3 at each of 3 positions, told apart by acquisition"
            << 0;
        // Stored -900 and -100 (in 12 bits), the rescale intercept 1000.
        QTest::newRow("signed 12-bit mosaics") << "signed mosaic" << 1 << "told apart by" << 1;
    }

    void volumesOfA4dSeriesAreToldApart()
    {
        QFETCH(QString, layout);
        QFETCH(int, volume);
        QFETCH(QString, said);
        QFETCH(int, marker);
        TestFolder folder;
        if (layout == "classic")
            writeClassic4d("in");
        else if (layout == "classic 2 10 9")
            writeClassic4d("in", {2, 10, 9});
        else if (layout.startsWith("multi-frame"))
            writeMultiFrame("in/frames", layout.endsWith("index"));
        for (int v = 0; v < 3 && layout.endsWith("mosaic"); ++v)
            writeMosaic("in/mosaic" + std::to_string(v), v, layout.startsWith("signed"));
        const Run run = convert({layout.endsWith("file") ? "in/frames" : "in", "out.dat", "--ct",
                                 "--volume", QString::number(volume)});
        QVERIFY2(saysOutput(run, "2 x 2 x 3 voxels of 2 x 2 x 2 mm") && run.out.contains(said),
                 qPrintable(run.out + run.err));
        const std::vector<uint16_t>& samples = run.volume.samples;
        QCOMPARE(std::count(samples.begin(), samples.end(), 1124), 11L);
        QCOMPARE(run.volume.at(1, 0, marker), uint16_t(1924));
    }

    // --all-volumes: a folder of every volume, in order and nothing beside,
    // under the one mapping the values of all of them choose.
    void everyVolumeIsWrittenUnderOneMapping_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<std::vector<uint16_t>>("samples"); // of all volumes, one after another
        // -100, 0, 200 plus 1000 v: the range -100..2200 of all three onto
        // 0..4095, (value + 100) * 4095 / 2300.
        const std::vector<uint16_t> ofAll{0, 178, 534, 1780, 1958, 2315, 3561, 3739, 4095};
        QTest::newRow("NIfTI, the range of all volumes") << "in.nii" << ofAll;
        // Read in turn from one gzip stream, twice: the range, then the samples.
        QTest::newRow("NIfTI gzipped") << "in.nii.gz" << ofAll;
        // HU + 1024: 100 everywhere but volume v's marker of 900 at (1, 0, v).
        std::vector<uint16_t> markers(36, 1124);
        for (size_t v = 0; v < 3; ++v)
            markers[12 * v + 1 + 4 * v] = 1924;
        QTest::newRow("DICOM series, each volume's marker") << "classic" << markers;
    }

    void everyVolumeIsWrittenUnderOneMapping()
    {
        QFETCH(QString, layout);
        QFETCH(std::vector<uint16_t>, samples);
        TestFolder folder;
        Scan scan(3, 1, 1);
        scan.values = {-100, 0, 200};
        const bool nifti = layout.startsWith("in.nii");
        nifti ? writeNifti(scan, layout.toStdString(), false, 3) : writeClassic4d("in");
        const Run run = convert({nifti ? layout : "in", "out", "--all-volumes"});
        QVERIFY2(run.status == 0 && run.out.contains("- Output: 3 volumes of "),
                 qPrintable(run.out + run.err));
        QCOMPARE(QDir("out").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList({"000.dat", "001.dat", "002.dat"}));
        QVERIFY(!QFileInfo::exists("out.part"));
        std::vector<uint16_t> written;
        for (const char* name : {"out/000.dat", "out/001.dat", "out/002.dat"}) {
            SampleVolume volume;
            QCOMPARE(readVolumeSamples(name, volume), std::string());
            written.insert(written.end(), volume.samples.begin(), volume.samples.end());
        }
        QCOMPARE(written, samples);
    }

    // Axial slices of 2 x 2 pixels of 2 mm, 2 mm apart: slice k holds
    // 100 k HU + the pixel's number (x + 2 y). Written x = 1 - i, y = (rows
    // - 1) - j, z = k.
    void unevenOrTiltedSlicesAreResampled_data()
    {
        QTest::addColumn<double>("drift"); // mm down a column per slice
        QTest::addColumn<int>("removed");  // the slice whose file is missing, or -1
        QTest::addColumn<double>("moved"); // mm slice 2 lies further along the normal
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("row");              // written y of...
        QTest::addColumn<QVector<int>>("profile"); // ...the samples along z at x = 1
        // Without slice 2 the grid stays at 2 mm: 200 HU between 100 and 300.
        QTest::newRow("a slice missing")
            << 0.0 << 2 << 0.0
            << "- Uneven slices: the slices at 2 and 6 mm along the slice normal lie 4 mm "
               "apart, the usual spacing is 2 mm; resampled onto an even grid (linear)"
            << 2 << 1 << QVector<int>{1024, 1124, 1224, 1324, 1424};
        // Each slice a pixel further down a column than the one before: 4
        // rows more, and slice k's row j at stored row j + k. Written row 3
        // is stored row 2: slice 1's row 1 (102 HU), slice 2's row 0; beyond
        // a slice, the least value (0 HU).
        // Steps of 2, 2.4, 1.6 and 2 mm, none missing: 4 mm is 5 / 6 of the way
        // from 100 to 200 HU.
        QTest::newRow("uneven steps")
            << 0.0 << -1 << 0.4
            << "- Uneven slices: the slices at 2 and 4.4 mm along the slice normal lie 2.4 mm "
               "apart, the usual spacing is 2 mm (2 uneven steps); resampled onto an even grid"
            << 2 << 1 << QVector<int>{1024, 1124, 1207, 1324, 1424};
        QTest::newRow("a gantry tilt of 45 degrees")
            << 2.0 << -1 << 0.0
            << "- Gantry tilt: the slices are sheared by 45 degrees; resampled onto an "
               "unsheared grid (linear)"
            << 6 << 3 << QVector<int>{1024, 1126, 1224, 1024, 1024};
    }

    void unevenOrTiltedSlicesAreResampled()
    {
        QFETCH(double, drift);
        QFETCH(int, removed);
        QFETCH(double, moved);
        QFETCH(QString, said);
        QFETCH(int, rows);
        QFETCH(int, row);
        QFETCH(QVector<int>, profile);
        TestFolder folder;
        Scan scan(2, 2, 5);
        scan.spacing = {{2, 2, 2}};
        for (size_t i = 0; i < scan.values.size(); ++i)
            scan.values[i] = float(100 * (i / 4) + i % 4);
        const std::vector<std::string> files =
            writeDicomSeries(scan, "in", "1.2.6", drift, {}, {{2, moved}});
        if (removed >= 0)
            std::filesystem::remove(files[size_t(removed)]);
        const Run run = convert({"in", "out.dat"});
        QVERIFY2(run.status == 0 && run.out.contains(said) && run.volume.height == rows,
                 qPrintable(run.out + run.err));
        QVector<int> alongZ;
        for (int z = 0; z < run.volume.depth; ++z)
            alongZ << run.volume.at(1, row, z);
        QCOMPARE(alongZ, profile);
    }

    // x, y, z are the file's first three axes, stated as running towards
    // the patient's right, front and head, the samples unchanged: back in,
    // they give the same volume.
    void exportsRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("back"); // its name converted back
        for (const char* name : {"v.nii.gz", "v.nii", "v.nrrd", "v.mha"})
            QTest::newRow(name) << name << "back.dat";
        QTest::newRow("names in upper case") << "V.NII"
                                             << "BACK.DAT";
    }

    void exportsRoundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QString, back);
        TestFolder folder;
        SampleVolume volume(3, 4, 5);
        for (size_t i = 0; i < volume.samples.size(); ++i)
            volume.samples[i] = uint16_t(i * 61);
        const QString source = name.at(0).isUpper() ? "V.DAT" : "v.dat";
        QVERIFY(writeVolumeFile(source.toStdString(), volume));
        QCOMPARE(convert({source, name}).status, 0);
        QVERIFY(!QFile::exists(name + ".part"));
        const Run returned = convert({name, back});
        QVERIFY(saysOutput(returned, "3 x 4 x 5 voxels of 1 x 1 x 1 mm"));
        QVERIFY(returned.volume.samples == volume.samples);
    }

    // Broken and refused inputs, written once.
    void initTestCase()
    {
        const Scan small(4, 3, 2, 50);
        writeToolkitFile<int16_t>(Scan(20, 20, 10), "long.nrrd");
        shorten("long.nrrd", 4000);
        writeToolkitFile<int16_t>(small, "short.nrrd");
        shorten("short.nrrd", 2);
        writeToolkitFile<int16_t>(small, "short.mhd");
        shorten("short.raw", 1);
        writeNifti(small, "short.nii");
        shorten("short.nii", 1);
        writeNifti(small, "4d.nii", true, 2);
        std::ofstream("vector.nrrd") << "NRRD0004\ntype: short\ndimension: 4\nsizes: 3 2 2 2\n"
                                        "kinds: vector domain domain domain\nencoding: raw\n"
                                        "endian: little\n\n"
                                     << std::string(48, '\0');
        Scan large(40000, 2, 1);
        large.spacing = {{2, 1, 1}};
        writeToolkitFile<int16_t>(large, "large.nrrd");
        writeToolkitFile<int16_t>(small, "small.nrrd");
        // A direction missing, or two nearly alike.
        for (const char* name : {"undirected", "flat"})
            std::ofstream(name + std::string(".nrrd"))
                << "NRRD0004\ntype: uchar\ndimension: 3\nsizes: 1 1 1\nencoding: raw\nspace: RAS\n"
                << "space directions: (1,0,0) " << (name[0] == 'u' ? "none" : "(2,0.002,0)")
                << " (0,0,1)\n\n.";
        // An sform whose first two axes lie along one line.
        writeNifti(Scan(2, 2, 2, 0, {{{1, 1, 0}, {0, 0, 0}, {0, 0, 1}}}), "flat.nii");
        std::ofstream("contradicting.mha") // as some tools write the identity
            << "NDims = 3\nDimSize = 1 1 1\nElementType = MET_SHORT\nTransformMatrix = 1 0 0 0 1 0 "
            << "0 0 1\nAnatomicalOrientation = LPS\nElementDataFile = LOCAL\n..";
        writeDicomSeries(small, "two", "1.2.3.1");
        // A description as a scanner may write it: a quote, a backslash, a
        // control character, a Latin-1 byte and UTF-8.
        writeDicomSeries(Scan(2, 2, 3), "two", "1.2.3.2", 0,
                         {{{0x0008, 0x103e}, "T2 \"ax\" \\ \x01\xe9\xc3\xbc"}});
        writeClassic4d("fourd");
        writeClassic4d("incomplete");
        std::filesystem::remove(*std::filesystem::directory_iterator("incomplete"));
        writeDicomSeries(small, "tilt", "1.2.8", 0.5);
        writeDicomSeries(Scan(2, 2, 4), "uneven", "1.2.11", 0, {}, {{2, 0.4}});
        // A slice's pixel data 12 bytes short of its 4 x 3 pixels, an empty
        // padding element in their place: the file is as long as before.
        const std::string padded = writeDicomSeries(small, "padded", "1.2.12")[0];
        std::string bytes(std::istreambuf_iterator<char>(std::ifstream(padded).rdbuf()), {});
        bytes[bytes.rfind(std::string("\xe0\x7f\x10\0OW\0\0", 8)) + 8] = 12;
        std::ofstream(padded) << bytes.erase(bytes.size() - 12) << "\xfc\xff\xfc\xffOB"
                              << std::string(6, 0);
        std::ofstream("local.mha") << "NDims = 3\nDimSize = 2 2 2\nElementType = MET_SHORT\n"
                                   << "CompressedData = True\nCompressedDataSize = 100000\n"
                                   << "ElementDataFile = Local\n"
                                   << std::string(16, '\0');
        for (const char* dimensions : {"-1", "1e308"}) // MetaIO looped for ever
            std::ofstream(std::string("ndims") + dimensions + ".mha")
                << "NDims = " << dimensions << "\nDimSize = 2 2\nElementType = MET_SHORT\n"
                << "ElementDataFile = LOCAL\n"
                << std::string(8, '\0');
        Scan noise(20, 20, 10); // that compresses little
        for (size_t i = 0; i < noise.values.size(); ++i)
            noise.values[i] = float(i * 7919 % 1000);
        writeNifti(noise, "cut.nii.gz");
        shorten("cut.nii.gz", 20);
        QVERIFY(QDir().mkpath("blocked.dat.part/full")); // no part file can be created there
        Scan slow(96, 96, 48); // resampled to 96 x 96 x 377: the mapping takes a while
        slow.spacing = {{1, 1, 8}};
        writeToolkitFile<int16_t>(slow, "slow.mha");
    }

    // A refused or failed conversion exits with 1, says what failed and where
    // in one line on the error stream, and leaves OUTPUT as it was.
    void failuresLeaveOutputAlone_data()
    {
        QTest::addColumn<QStringList>("arguments"); // INPUT, OUTPUT, options
        QTest::addColumn<QString>("error");         // a part of the one line
        // Data attached to its header is checked against the whole file...
        QTest::newRow("NRRD far shorter than announced")
            << QStringList{"long.nrrd", "out.dat"}
            << "the header announces 8000 bytes of samples, 'long.nrrd'";
        // ...and a few bytes short, the reader finds it.
        QTest::newRow("NRRD a little shorter")
            << QStringList{"short.nrrd", "out.dat"} << "cannot read 'short.nrrd': fread got only";
        QTest::newRow("detached MetaImage data short")
            << QStringList{"short.mhd", "out.dat"} << "announces 48 bytes of samples";
        QTest::newRow("NIfTI shorter than announced")
            << QStringList{"short.nii", "out.dat"} << "announces 48 bytes of samples";
        QTest::newRow("three values a voxel")
            << QStringList{"vector.nrrd", "out.dat"} << "its voxels have 3 components";
        // Resampled to 1 mm cubes, 40000 voxels of 2 mm become 79999; in
        // blocks of 2, 20000 of 4 mm become 39999 of 2 mm.
        QTest::newRow("more than the program loads")
            << QStringList{"large.nrrd", "out.dat"} << "--shrink 2 writes 39999 x 1 x 1";
        QTest::newRow("NRRD space without a direction")
            << QStringList{"undirected.nrrd", "out.dat"} << "an axis has no space direction";
        QTest::newRow("NRRD directions along one line")
            << QStringList{"flat.nrrd", "out.dat"} << "its space directions do not span a volume";
        QTest::newRow("NIfTI sform axes along one line")
            << QStringList{"flat.nii", "out.dat"} << "its sform's axes do not span a volume";
        QTest::newRow("MetaImage orientations that contradict each other")
            << QStringList{"contradicting.mha", "out.dat"}
            << "its AnatomicalOrientation LPS contradicts its TransformMatrix, whose axes come "
               "from RAI";
        QTest::newRow("a volume the 4-D file lacks")
            << QStringList{"4d.nii", "out.dat", "--volume", "2"} << "it holds volumes 0..1";
        QTest::newRow("--all-volumes into what exists")
            << QStringList{"4d.nii", "out.dat", "--all-volumes"} << "it exists; --all-volumes";
        QTest::newRow("two series, none chosen")
            << QStringList{"two", "out.dat"} << "choose one with --series UID";
        QTest::newRow("an export of a scan")
            << QStringList{"small.nrrd", "out.nii"} << "only a .dat INPUT exports";
        QTest::newRow("a volume the 4-D series lacks")
            << QStringList{"fourd", "out.dat", "--volume", "3"} << "it holds volumes 0..2";
        QTest::newRow("a 4-D series missing a slice")
            << QStringList{"incomplete", "out.dat"} << "its slices do not make whole volumes: ";
        // (No OUTPUT: a file named "--list" stays as it was.)
        QTest::newRow("--list, a 4-D series missing a slice")
            << QStringList{"incomplete", "--list"} << "its slices do not make whole volumes: ";
        QTest::newRow("pixel data short, the file long enough")
            << QStringList{"padded", "out.dat"} << "it holds 12 bytes of pixel data, 24 are";
        QTest::newRow("--keep-grid, uneven steps")
            << QStringList{"uneven", "out.dat", "--keep-grid"} << "cannot keep an uneven grid";
        QTest::newRow("--volume of a 3-D NRRD")
            << QStringList{"small.nrrd", "out.dat", "--volume", "1"} << "; a NRRD holds one";
        QTest::newRow("MetaImage compressed data beyond its file, named Local")
            << QStringList{"local.mha", "out.dat"}
            << "its CompressedDataSize is 100000 bytes, more than its data file holds";
        QTest::newRow("--keep-grid, a gantry tilt")
            << QStringList{"tilt", "out.dat", "--keep-grid"} << "cannot keep a sheared grid";
        QTest::newRow("MetaImage NDims -1")
            << QStringList{"ndims-1.mha", "out.dat"} << "its NDims is -1, not a number";
        QTest::newRow("MetaImage NDims 1e308")
            << QStringList{"ndims1e308.mha", "out.dat"} << "its NDims is 1e308";
        QTest::newRow("gzipped NIfTI cut short")
            << QStringList{"cut.nii.gz", "out.dat"} << "its samples are cut short or damaged";
        QTest::newRow("the write fails")
            << QStringList{"small.nrrd", "blocked.dat"} << "cannot write 'blocked.dat'";
        // A SIGTERM while it converts ends its child and removes what it began.
        QTest::newRow("cancelled")
            << QStringList{"slow.mha", "out.dat"} << "cancelled; 'out.dat' was not written";
    }

    void failuresLeaveOutputAlone()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        m_inputs.write(arguments[1].toStdString(), "old");
        const bool cancel = error.startsWith("cancelled");
        if (cancel)
            m_inputs.write(arguments[1].toStdString() + ".part", "unfinished");
        const Run run = cancel ? stoppedConversion(arguments, true, true) : convert(arguments);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.startsWith("kastra-convert: ") && run.err.count('\n') == 1 &&
                     run.err.endsWith('\n') && run.err.contains(error),
                 qPrintable(run.err));
        QFile old(arguments[1]);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QVERIFY(!QFileInfo(arguments[1] + ".part").isFile());
    }

    // With --codes, a refusal also comes as a code line for a program: the
    // frame's code and the reason's, each with its arguments. The English
    // line stays as it is without.
    void refusalsComeAsCodesToo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("coded");
        // Slices at 0, 1, 2.4 and 3 mm: two steps off the usual 1 mm, the
        // first found the widest.
        QTest::newRow("--keep-grid, uneven steps")
            << QStringList{"uneven", "out.dat", "--keep-grid"}
            << "cannot-read(uneven, uneven-slice-spacing(uneven-steps(1, 2.4, 1.4, 1, 2)))";
        QTest::newRow("a volume the 4-D file lacks")
            << QStringList{"4d.nii", "out.dat", "--volume", "2"}
            << "cannot-read(4d.nii, volume-missing(2, 1))";
        QTest::newRow("MetaImage NDims -1") << QStringList{"ndims-1.mha", "out.dat"}
                                            << "cannot-read(ndims-1.mha, metaimage-bad-ndims(-1))";
    }

    void refusalsComeAsCodesToo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, coded);
        const Run plain = convert(arguments);
        const Run run = convert(arguments + QStringList{"--codes"});
        QCOMPARE(run.status, 1);
        const QStringList lines = run.err.split('\n');
        QCOMPARE(lines.size(), 3); // the code line, the English line and the end
        QCOMPARE(lines[1] + '\n', plain.err);
        const QJsonObject refusal = codeLine(lines[0], "refusal");
        QCOMPARE(codeTree(refusal), coded);
        QCOMPARE("kastra-convert: " + refusal["text"].toString(), lines[1]);
    }

    // Every code the converter gives has the window's words, with a place for
    // each of its arguments; codes are kebab-case words, each given once.
    void everyCodeHasTheWindowsWords()
    {
        QSet<QString> codes;
        for (const MessageTemplate& entry : messageTable()) {
            const QString code = entry.code;
            QVERIFY2(QRegularExpression("^[a-z0-9]+(-[a-z0-9]+)*$").match(code).hasMatch() &&
                         !codes.contains(code) && knowsConverterMessage(code),
                     entry.code);
            codes << code;
            QJsonArray arguments;
            for (int n = 1; QString(entry.english).contains(QString("%%1").arg(n)); ++n)
                arguments << QString("<%1>").arg(n);
            const QString german = converterMessageText({{"code", code}, {"arguments", arguments}});
            for (const QJsonValue& argument : arguments)
                QVERIFY2(german.contains(argument.toString()), entry.code);
        }
    }

    // The watchdog runs the conversion in a child: a library that aborts or
    // loops on a file takes down only the child. One line says what
    // happened (a file that passed every check is not known to be damaged;
    // a child the kernel killed, for want of memory say, is no fault of the
    // file), and the unfinished output is removed.
    void theWatchdogRefusesInOneLine_data()
    {
        QTest::addColumn<int>("fate"); // of the child inside a library call
        QTest::addColumn<QString>("said");
        const QString library = "cannot read 'IM0042': GDCM ";
        const QString unknown = "; the file may be damaged, or of a kind GDCM does not read";
        QTest::newRow("aborted") << SIGABRT << library + "failed on it (SIGABRT)" + unknown;
        QTest::newRow("killed") << SIGKILL
                                << "cannot convert 'series': the converter was killed (SIGKILL), "
                                   "perhaps for want of memory";
        QTest::newRow("looping") << 0 << library + "did not finish with it in 1 s" + unknown;
    }

    void theWatchdogRefusesInOneLine()
    {
        QFETCH(int, fate);
        QFETCH(QString, said);
        m_inputs.write("out.dat.part", "unfinished");
        LibraryCall::shareRecord();
        LibraryCall::setMinimumLimit(1);
        ConsoleCapture console;
        QElapsedTimer clock;
        clock.start();
        const int status = runWatched(
            [fate] {
                const LibraryCall call("GDCM", "IM0042");
                std::signal(SIGABRT, SIG_DFL); // not the test framework's handler
                if (fate != 0)
                    std::raise(fate);
                std::this_thread::sleep_for(std::chrono::seconds(60));
                return 0;
            },
            "series", "out.dat", {"out.dat.part"});
        LibraryCall::setMinimumLimit(30);
        QCOMPARE(status, 1);
        QCOMPARE(QString::fromStdString(console.err()), "kastra-convert: " + said + "\n");
        QVERIFY(!QFileInfo::exists("out.dat.part"));
        QVERIFY2(clock.elapsed() < 30000, "the loop was not ended at its limit");
    }

    // Every input a fuzz target once failed on, through the converter as a
    // user runs it: converted, or refused in one line, and in time (the
    // loops and allocations found took from 13 s to for ever).
    void fuzzFindingsEndInOneLine_data()
    {
        QTest::addColumn<QString>("variant");
        QTest::addColumn<QString>("finding");
        const QDir fuzz(KASTRA_FUZZ_DIR);
        // The converter's corpora; the function files' findings replay in their own test.
        for (const QString& corpus : fuzz.entryList({"corpus-*"}, QDir::Dirs))
            for (const QString& finding : QDir(fuzz.filePath(corpus)).entryList({"finding-*"}))
                if (fuzzVariant(corpus.mid(7).toStdString()))
                    QTest::newRow(qPrintable(corpus + "/" + finding))
                        << corpus.mid(7) << fuzz.filePath(corpus + "/" + finding);
    }

    void fuzzFindingsEndInOneLine()
    {
        QFETCH(QString, variant);
        QFETCH(QString, finding);
        TestFolder folder;
        QFile file(finding);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const std::filesystem::path input =
            writeFuzzInput(*fuzzVariant(variant.toStdString()),
                           std::string_view(bytes.constData(), size_t(bytes.size())), ".");
        // Under the sanitizers too, a library's fault reaches the watchdog as
        // the signal it is, as in the program (the fuzz targets do the same).
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") +
                                               ":handle_segv=0:handle_sigbus=0:handle_sigfpe=0"
                                               ":handle_sigill=0");
        QElapsedTimer clock;
        clock.start();
        const Run run = convert({QString::fromStdString(input.string()), "out.dat"}, environment);
        QVERIFY2(clock.elapsed() < 20000, "it took more than 20 s");
        QVERIFY2(run.status == 0 || (run.status == 1 && run.err.count('\n') == 1 &&
                                     run.err.startsWith("kastra-convert: ") &&
                                     !run.err.contains("a fault in kastra-convert")),
                 qPrintable(run.err));
    }

    // Both series listed, then the chosen one converted; a wrong command
    // line exits with 2.
    void aSeriesIsChosenByItsUid()
    {
        QVERIFY(
            convert({"two", "out.dat"}).out.contains("  1.2.3.1  \"\"  2 files\n  1.2.3.2  \"T2 "));
        QVERIFY(saysOutput(convert({"two", "out.dat", "--series", "1.2.3.2"}),
                           "2 x 2 x 3 voxels of 1 x 1 x 1 mm"));
        QCOMPARE(convert({"two", "out.dat", "--bogus"}).status, 2);
        QCOMPARE(convert({"two", "out.dat", "--ct", "--no-ct"}).status, 2);
        // One file of a classic series: that slice, and where the rest lie.
        const std::string file = std::filesystem::directory_iterator("fourd")->path();
        const Run slice = convert({QString::fromStdString(file), "out.dat"});
        QVERIFY2(saysOutput(slice, "2 x 2 x 1 voxels of 2 x 2 x 2 mm") &&
                     slice.out.contains("\n- One slice: its folder holds 8 more files of its "
                                        "series; convert the folder for the volume\n"),
                 qPrintable(slice.out + slice.err));
    }

    // --list: one JSON object on the standard output, from the headers alone
    // (written here with ' for ").
    void theListingIsJson_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("json");
        const QString two = "{'format': 'DICOM series', 'series': [{'uid': '1.2.3.1', "
                            "'description': '', 'modality': 'CT', 'files': 2}, {'uid': '1.2.3.2', "
                            "'description': 'T2 \\'ax\\' \\\\ \\u0001\\u00e9ü', 'modality': 'CT', "
                            "'files': 3}]";
        QTest::newRow("two series, none chosen") << QStringList{"two", "--list"} << two + "}";
        QTest::newRow("two series, one chosen")
            << QStringList{"two", "--list", "--series", "1.2.3.1"}
            << two + ", 'volumes': [{'description': ''}], 'toldApartBy': '', 'ct': true, "
                     "'ctReason': 'its modality is CT'}";
        QTest::newRow("a 4-D series")
            << QStringList{"fourd", "--list"}
            << "{'format': 'DICOM series', 'series': [{'uid': '1.2.3', 'description': '', "
               "'modality': 'CT', 'files': 9}], 'volumes': [{'description': 'temporal position "
               "1'}, {'description': 'temporal position 2'}, {'description': 'temporal position "
               "3'}], 'toldApartBy': 'temporal position', 'ct': true, 'ctReason': 'its modality "
               "is CT'}";
        QTest::newRow("a 4-D NIfTI file") << QStringList{"4d.nii", "--list"}
                                          << "{'format': 'NIfTI', 'volumes': [{'description': "
                                             "'volume 0'}, {'description': 'volume 1'}], "
                                             "'toldApartBy': '', 'ct': false, 'ctReason': 'the "
                                             "minimum of its samples, 50, lies above -1024'}";
    }

    void theListingIsJson()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, json);
        const Run run = convert(arguments);
        QVERIFY2(run.status == 0 && run.err.isEmpty(), qPrintable(run.err));
        QCOMPARE(run.out, json.replace('\'', '"') + "\n");
    }

    // A stage that outlasts a second draws a bar, on a terminal only; the
    // next line starts on a line of its own. The bar follows the standard
    // output, not the error stream.
    void aProgressBarOnlyOnATerminal()
    {
        // A loaded machine may read the lines late, when the stage to stop is
        // over: up to five tries.
        const QRegularExpression bar("\\r- \\w+ +\\[#{30}\\] 100%\\r\\n- ");
        QString terminal;
        for (int tries = 0; tries < 5 && !terminal.contains(bar); ++tries)
            terminal = stoppedConversion({"slow.mha", "out.dat"}, true).out;
        QVERIFY2(terminal.contains(bar), qPrintable(terminal));
        const QString piped = stoppedConversion({"slow.mha", "out.dat"}, false).out;
        QVERIFY2(piped.contains("- Converted") && !piped.contains('#') && !piped.contains('\r') &&
                     !piped.contains("progress"),
                 qPrintable(piped));
        // --progress: lines for a program that runs the converter, each stage's
        // whole percents from 0 as they grow (the NIfTI reader says none; the
        // mapping, a slice at a time) up to 100.
        const Run lines = convert({"4d.nii", "out.dat", "--progress"});
        QCOMPARE(lines.out.split('\n').filter(QRegularExpression("^progress ")).join(", "),
                 "progress Reading 0, progress Reading 100, progress Mapping 0, progress Mapping "
                 "50, progress Mapping 100");
    }

private:
    TestFolder m_inputs; // the working folder outside the tests' own
};

QTEST_GUILESS_MAIN(TestConvert)
#include "tst_convert.moc"
