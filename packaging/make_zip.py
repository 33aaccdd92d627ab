#!/usr/bin/env python3
"""Writes a zip archive that is the same bytes for the same files: entries sorted by name,
one fixed time stamp, fixed attributes, no extra fields.

Usage: make_zip.py OUTPUT EPOCH FILE...   (entries are named by the files' base names)
"""
import os
import sys
import time
import zipfile


def main():
    out, epoch, files = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    # Zip times are two-second local times from 1980; the same epoch gives the same fields anywhere.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    names = sorted(files, key=os.path.basename)
    if len({os.path.basename(f) for f in names}) != len(names):
        sys.exit("make_zip: two files of the same name")
    tmp = out + ".tmp"
    with zipfile.ZipFile(tmp, "w") as archive:
        for path in names:
            info = zipfile.ZipInfo(os.path.basename(path), date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0          # MS-DOS attributes, as Windows writes them
            info.external_attr = 0x20       # archive bit only
            with open(path, "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)
    os.replace(tmp, out)


if __name__ == "__main__":
    main()
