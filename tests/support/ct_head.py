#!/usr/bin/env python3
"""Debian's CT head (invesalius-examples) for the tests, in its Hounsfield
units, read without the converter's libraries.

    ct_head.py OUT
        writes OUT/hu.raw (int16, little-endian, x fastest) and OUT/ct.nii.gz,
        a NIfTI-1 file of it written here with struct and gzip (no frame), and
        prints "WIDTH HEIGHT DEPTH SX SY SZ"
"""
import gzip
import os
import plistlib
import struct
import sys
import tarfile

ARCHIVE = "/usr/share/doc/invesalius-examples/examples/Cranium.inv3"


def main(out):
    with tarfile.open(ARCHIVE) as archive:
        members = {os.path.basename(m.name): m for m in archive.getmembers()}
        info = plistlib.load(archive.extractfile(members["main.plist"]))
        samples = archive.extractfile(members["matrix.dat"]).read()
    matrix = info["matrix"]
    assert matrix["dtype"] == "int16", matrix["dtype"]
    depth, height, width = matrix["shape"]  # slowest axis first
    spacing = [float(s) for s in info["spacing"]]  # x first
    with open(os.path.join(out, "hu.raw"), "wb") as raw:
        raw.write(samples)

    # The NIfTI-1 header: 348 bytes, then 4 that say "no extension".
    header = struct.pack("<i", 348) + bytes(36)
    header += struct.pack("<8h", 3, width, height, depth, 1, 1, 1, 1)
    header += struct.pack("<3f", 0, 0, 0)  # intent
    header += struct.pack("<hhhh", 0, 4, 16, 0)  # intent code, DT_INT16, 16 bits, slice start
    header += struct.pack("<8f", 1, *spacing, 1, 1, 1, 1)
    header += struct.pack("<fff", 352, 1, 0)  # vox_offset, scl_slope, scl_inter
    header += struct.pack("<hbb", 0, 0, 0)  # slice end, slice code, xyzt units
    header += struct.pack("<ffff", 0, 0, 0, 0)  # cal_max, cal_min, slice duration, toffset
    header += struct.pack("<ii", 0, 0)  # glmax, glmin
    header += b"Debian CT head".ljust(80, b"\0") + bytes(24)  # descrip, aux_file
    header += struct.pack("<hh", 0, 0)  # qform_code, sform_code: no frame
    header += bytes(4 * 6 + 4 * 12)  # quatern, qoffset, srow
    header += bytes(16) + b"n+1\0"  # intent_name, magic
    assert len(header) == 348
    with gzip.open(os.path.join(out, "ct.nii.gz"), "wb") as nifti:
        nifti.write(header + bytes(4) + samples)
    print(width, height, depth, *spacing)


if __name__ == "__main__":
    main(sys.argv[1])
