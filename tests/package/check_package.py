#!/usr/bin/env python3
"""Checks scripts/package: two clean release builds in two folders must give the same zip,
byte for byte, holding exactly the files a user needs; no binary in it may carry a link time;
the zipped Norvo.exe carries the version of CMakeLists.txt; and the notices hold the licence of
every part. Leaves the first build's zip and installer in WORK/a-dist for the installer test.

Usage: check_package.py ROOT WORK
"""
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import zipfile

from checks import check, report

EXPECTED = ["LICENSE", "Norvo.exe", "README.txt", "Scintilla.dll", "THIRD-PARTY-NOTICES.txt", "lexilla.dll"]


def cmake_version(root):
    text = open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8").read()
    return re.search(r"project\(Norvo VERSION ([0-9.]+)", text).group(1)


def build(root, work, name):
    dist = os.path.join(work, name + "-dist")
    shutil.rmtree(dist, ignore_errors=True)
    env = dict(os.environ, NORVO_PACKAGE_BUILD=os.path.join(work, name))
    subprocess.run([os.path.join(root, "scripts", "package"), dist], env=env, check=True)
    return dist


def pe_time_stamps(data):
    """The link times a PE file carries: the COFF header's and the export directory's."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0", "not a PE file"
    stamps = {"header": struct.unpack_from("<I", data, pe + 8)[0]}
    sections_count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    export_rva = struct.unpack_from("<I", data, optional + 112)[0]  # PE32+ data directory 0
    table = optional + optional_size
    for i in range(sections_count):
        va, raw_size, raw = struct.unpack_from("<III", data, table + 40 * i + 12)
        if export_rva and va <= export_rva < va + raw_size:
            stamps["exports"] = struct.unpack_from("<I", data, raw + export_rva - va + 4)[0]
    return stamps


def version_strings(data):
    """The StringFileInfo values of a version resource, found by their UTF-16 names."""
    found = {}
    for name in ("ProductName", "FileVersion", "ProductVersion"):
        key = name.encode("utf-16-le") + b"\0\0"
        at = data.find(key)
        if at < 0:
            continue
        at += len(key)
        at += (4 - at % 4) % 4  # values start on a 32-bit boundary
        end = data.find(b"\0\0", at)
        while end >= 0 and (end - at) % 2:
            end = data.find(b"\0\0", end + 1)
        found[name] = data[at:end].decode("utf-16-le")
    return found


def main():
    root, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    version = cmake_version(root)
    name = f"Norvo-{version}-x64"
    a = build(root, work, "a")
    b = build(root, work, "b")
    check(sorted(os.listdir(a)) == sorted([name + ".zip", name + "-setup.exe"]),
          f"scripts/package wrote {sorted(os.listdir(a))}")

    zip_a, zip_b = (os.path.join(d, name + ".zip") for d in (a, b))
    bytes_a, bytes_b = (open(z, "rb").read() for z in (zip_a, zip_b))
    check(bytes_a == bytes_b, "the two builds' zips differ")
    with zipfile.ZipFile(zip_a) as archive:
        infos = archive.infolist()
        names = [i.filename for i in infos]
        check(names == sorted(EXPECTED), f"the zip holds {names}")
        check(len({i.date_time for i in infos}) == 1, "the zip's entries have different times")
        check(archive.testzip() is None, "the zip is damaged")
        files = {i.filename: archive.read(i) for i in infos}
    if set(files) != set(EXPECTED):
        return report("package")
    for binary in ("Norvo.exe", "Scintilla.dll", "lexilla.dll"):
        stamps = pe_time_stamps(files[binary])
        check(all(v == 0 for v in stamps.values()), f"{binary} carries a link time: {stamps}")
    strings = version_strings(files["Norvo.exe"])
    check(strings == {"ProductName": "Norvo", "FileVersion": version, "ProductVersion": version},
          f"the zipped Norvo.exe's version resource says {strings}, CMakeLists.txt {version}")

    notices = files["THIRD-PARTY-NOTICES.txt"].decode("utf-8")
    for needle in ("Neil Hodgson", "University of Cambridge", "Zoltan Herczeg", "Jean-loup Gailly",
                   "GCC RUNTIME LIBRARY EXCEPTION", "winpthreads"):
        check(needle in notices, f"THIRD-PARTY-NOTICES.txt lacks {needle!r}")
    check("Permission is hereby granted" in files["LICENSE"].decode("utf-8"), "LICENSE is not the MIT licence")
    readme = files["README.txt"].decode("utf-8")
    check(readme.startswith(f"Norvo {version}\r\n"), "README.txt does not start with the version")
    check("\n" not in readme.replace("\r\n", ""), "README.txt has Unix line ends")

    setup_a, setup_b = (os.path.join(d, name + "-setup.exe") for d in (a, b))
    digests = [hashlib.sha256(open(s, "rb").read()).hexdigest() for s in (setup_a, setup_b)]
    check(digests[0] == digests[1], "the two builds' installers differ")
    print(f"zip {len(bytes_a)} bytes, sha256 {hashlib.sha256(bytes_a).hexdigest()}")
    print(f"installer {os.path.getsize(setup_a)} bytes, sha256 {digests[0]}")
    return report("package")


if __name__ == "__main__":
    sys.exit(main())
