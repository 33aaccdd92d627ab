#!/usr/bin/env python3
"""Reads the pages and documents the integration tests kept with outside readers.

Every *.html must pass `tidy -e -q` with a status below 2 (warnings allowed, no errors).
Every *.rtf is read back by `unrtf --text`; its text must equal the document kept beside it
as *.rtf.txt. unrtf's text personality prints \\uN as "?", so it runs from a private folder
whose text.conf prints "&#N;" instead, decoded here. unrtf writes a tab as blanks up to its
next tab stop followed by a line break, so blanks that end a line are read as one tab; the
documents written by the tests have no blanks before their line ends. unrtf also prints a
run of blanks as one blank, so runs of blanks are compared as one. Carriage returns are not
part of an RTF's text.
"""
import html
import os
import re
import shutil
import subprocess
import sys
import tempfile


def read_rtf(path, conf_dir):
    out = subprocess.run(["unrtf", "-P", conf_dir + ":/usr/share/unrtf", "--text", path],
                         capture_output=True, check=True).stdout.decode("utf-8", "replace")
    body = out.split("-----------------\n", 1)[1] if "-----------------\n" in out else out
    body = re.sub(r" +\n", "\t", body)
    return re.sub(r"&#(\d+);", lambda m: chr(int(m.group(1))), body)


def blanks_as_one(text):
    return re.sub(r" {2,}", " ", text)


def main():
    paths = []
    for folder in sys.argv[1:]:
        if os.path.isdir(folder):
            paths += [os.path.join(folder, name) for name in sorted(os.listdir(folder))]
    checked = failed = 0
    conf_dir = tempfile.mkdtemp(prefix="norvo_unrtf_")
    try:
        shutil.copy("/usr/share/unrtf/text.conf", os.path.join(conf_dir, "text.conf"))
        with open(os.path.join(conf_dir, "text.conf"), "a") as conf:
            conf.write("unisymbol_print\n\t&#%;\n")
        for path in paths:
            name = os.path.basename(path)
            if name.endswith(".html"):
                status = subprocess.run(["tidy", "-e", "-q", path], capture_output=True).returncode
                if status >= 2:
                    print(f"{name}: tidy reports errors (status {status})")
                    failed += 1
                checked += 1
            elif name.endswith(".rtf"):
                with open(path + ".txt", "rb") as f:
                    expected = f.read().decode("utf-8").replace("\r", "")
                got = read_rtf(path, conf_dir)
                if blanks_as_one(got).rstrip("\n") != blanks_as_one(expected).rstrip("\n"):
                    print(f"{name}: unrtf reads {got[:200]!r}, the document is {expected[:200]!r}")
                    failed += 1
                checked += 1
    finally:
        shutil.rmtree(conf_dir, ignore_errors=True)
    print(f"outside readers: {checked} outputs checked, {failed} failed")
    return 1 if failed or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
