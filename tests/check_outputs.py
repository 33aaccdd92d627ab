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
Every *.pdf must pass `qpdf --check`, embed every font as a subset with a ToUnicode map
(`pdffonts`), and give back, through `pdftotext`, the lines of the *.pdf.txt beside it in order
(blanks aside: pdftotext rebuilds them from where the glyphs stand).
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


def check_pdf(path):
    if subprocess.run(["qpdf", "--check", path], capture_output=True).returncode != 0:
        return "qpdf --check fails"
    fonts = subprocess.run(["pdffonts", path], capture_output=True, check=True).stdout.decode()
    rows = fonts.splitlines()[2:]
    if not rows:
        return "no fonts"
    for row in rows:
        if not row.split()[0].count("+") or "yes yes yes" not in row:
            return f"a font is not an embedded subset with a ToUnicode map: {row}"
    # pdftotext rebuilds blanks from the glyphs' places, so they are not compared.
    text = re.sub(r"\s+", "", subprocess.run(["pdftotext", "-enc", "UTF-8", path, "-"], capture_output=True,
                                              check=True).stdout.decode("utf-8"))
    at = 0
    with open(path + ".txt", "rb") as f:
        for line in f.read().decode("utf-8").splitlines():
            line = re.sub(r"\s+", "", line)
            found = text.find(line, at)
            if found < 0:
                return f"pdftotext lacks {line!r} (in order) in {text[:300]!r}"
            at = found + len(line)
    return None


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
            elif name.endswith(".pdf"):
                problem = check_pdf(path)
                if problem:
                    print(f"{name}: {problem}")
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
