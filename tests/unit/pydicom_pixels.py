#!/usr/bin/env python3
"""What pydicom makes of DICOM files, for the suite to hold the converter
against a reader that shares no code with it.

    pydicom_pixels.py folder
        prints the folder of pydicom's own test files
    pydicom_pixels.py pixels OUT FILE...
        writes to OUT the slices of FILE... (a frame each), sorted along their
        normal, as rescaled values: a line "frames rows columns", then the
        values as little-endian float64
    pydicom_pixels.py placed OUT FILE
        writes FILE to OUT with an axial position, orientation and pixel
        spacing where it states none, its pixel data and encoding unchanged
    pydicom_pixels.py palette OUT FILE
        writes FILE to OUT as a palette-colour image of its pixels
    pydicom_pixels.py deflated OUT FILE
        writes FILE to OUT deflated, with 2 MB of pixels that deflate to little
"""
import os
import sys

import numpy
import pydicom
import pydicom.data
from pydicom.pixel_data_handlers.util import apply_modality_lut


def normal_offset(ds):
    orientation = [float(v) for v in ds.ImageOrientationPatient]
    normal = numpy.cross(orientation[:3], orientation[3:])
    return float(numpy.dot(normal, [float(v) for v in ds.ImagePositionPatient]))


def pixels(out, files):
    slices = sorted((pydicom.dcmread(f) for f in files), key=normal_offset)
    values = numpy.stack([apply_modality_lut(ds.pixel_array, ds).astype("<f8") for ds in slices])
    with open(out, "wb") as stream:
        stream.write(b"%d %d %d\n" % values.shape)
        stream.write(values.tobytes())


def placed(out, file):
    ds = pydicom.dcmread(file)
    ds.setdefault("ImagePositionPatient", pydicom.DataElement(0x00200032, "DS", [0, 0, 0]))
    ds.setdefault("ImageOrientationPatient", pydicom.DataElement(0x00200037, "DS", [1, 0, 0, 0, 1, 0]))
    ds.setdefault("PixelSpacing", pydicom.DataElement(0x00280030, "DS", [1, 1]))
    ds.save_as(out, write_like_original=False)


def palette(out, file):
    ds = pydicom.dcmread(file)
    ds.PhotometricInterpretation = "PALETTE COLOR"
    for colour in range(3):  # red, green, blue
        ds.add_new(0x00281101 + colour, "US", [256, 0, 16])
        ds.add_new(0x00281201 + colour, "OW", bytes(512))
    ds.save_as(out, write_like_original=False)


def deflated(out, file):
    ds = pydicom.dcmread(file)
    ds.Rows = ds.Columns = 1024
    ds.PixelData = bytes(2 * 1024 * 1024)
    ds.file_meta.TransferSyntaxUID = pydicom.uid.DeflatedExplicitVRLittleEndian
    ds.save_as(out, write_like_original=False)


if sys.argv[1] == "folder":
    print(os.path.join(os.path.dirname(pydicom.data.__file__), "test_files"))
elif sys.argv[1] == "pixels":
    pixels(sys.argv[2], sys.argv[3:])
else:
    {"placed": placed, "palette": palette, "deflated": deflated}[sys.argv[1]](sys.argv[2], sys.argv[3])
