#!/usr/bin/env python3
"""Prints through a real print queue and compares the result with the program's own PDF writer.

Run inside scripts/print-queue (a private CUPS server whose printer "PDF" turns every job into a
PDF file). It runs the PrintQueue integration tests under Wine, which export one C++ file twice:
with the program's own writer (own.pdf) and through the printer (printer.pdf, taken from the
queue's folder). Both must pass `qpdf --check`, have the same number of pages (`pdfinfo`) and
give back the same words in the same order (`pdftotext`; blanks are rebuilt by the reader from
where the glyphs stand, so they are not compared). The printer's driver names each glyph by any
one of the characters the font maps to it, so a glyph shared by two characters may come back
as the other one: ";" as the Greek question mark U+037E, "-" as the soft hyphen U+00AD. Those
are read as the characters the document has.
Usage: check_print_queue.py INTEGRATION_TESTS_EXE KEEP_FOLDER
"""
import os
import re
import subprocess
import sys

SHARED_GLYPHS = str.maketrans({"\u037e": ";", "\u00ad": "-"})
WINE_EXEC = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "wine-exec")


def pages(path):
    info = subprocess.run(["pdfinfo", path], capture_output=True, check=True).stdout.decode()
    return int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))


def words(path):
    text = subprocess.run(["pdftotext", "-enc", "UTF-8", path, "-"], capture_output=True, check=True).stdout
    return text.decode("utf-8").translate(SHARED_GLYPHS).split()


def main():
    exe, keep = sys.argv[1], os.path.abspath(sys.argv[2])
    if "CUPS_SERVER" not in os.environ or "NORVO_QUEUE_DIR" not in os.environ:
        print("check_print_queue: run it inside scripts/print-queue")
        return 1
    os.makedirs(keep, exist_ok=True)
    for name in ("own.pdf", "printer.pdf"):
        if os.path.exists(os.path.join(keep, name)):
            os.remove(os.path.join(keep, name))
    env = dict(os.environ, NORVO_QUEUE_KEEP=keep)
    run = subprocess.run([WINE_EXEC, exe, "--gtest_filter=PrintQueue.*"], env=env)
    if run.returncode != 0:
        return 1
    own, printer = os.path.join(keep, "own.pdf"), os.path.join(keep, "printer.pdf")
    failures = []
    for path in (own, printer):
        if not os.path.exists(path):
            failures.append(f"{path} was not made")
        elif subprocess.run(["qpdf", "--check", path], capture_output=True).returncode != 0:
            failures.append(f"{path}: qpdf --check fails")
    if not failures:
        if pages(own) != pages(printer):
            failures.append(f"pages: own writer {pages(own)}, printer {pages(printer)}")
        own_words, printer_words = words(own), words(printer)
        if own_words != printer_words:
            at = next((i for i, (a, b) in enumerate(zip(own_words, printer_words)) if a != b),
                      min(len(own_words), len(printer_words)))
            failures.append(f"the words differ from word {at}: own {own_words[at:at + 8]}, "
                            f"printer {printer_words[at:at + 8]}")
        if "café" not in own_words:
            failures.append("the text lacks the document's first words")
    for failure in failures:
        print("check_print_queue:", failure)
    if not failures:
        print(f"check_print_queue: {pages(own)} pages, {len(words(own))} words alike through the printer and the own writer")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
