#!/usr/bin/env python3
"""Prints through a real print queue and compares the result with the program's own PDF writer.

Run inside scripts/print-queue (a private CUPS server whose printer "PDF" turns every job into a
PDF file). It runs the print-queue tests of the integration and end-to-end programs under Wine.
They export one C++ file twice: with the program's own writer (own.pdf) and through the printer
(printer.pdf, taken from the queue's folder); both must pass `qpdf --check`, have the same number
of pages (`pdfinfo`) and give back the same words in the same order. And they print documents,
keeping each printed X.pdf with X.pdf.pages (the preview's page count) and X.pdf.txt (the
document's lines): the PDF must have that many pages, give back the lines' words in order, and
carry its page number "- n -" on its last page, with no other words on it for an empty document.
Words are read with `pdftotext` (`pdftotext`; blanks are rebuilt by the reader from
where the glyphs stand, so they are not compared). The printer's driver names each glyph by any
one of the characters the font maps to it, so a glyph shared by two characters may come back
as the other one: ";" as the Greek question mark U+037E, "-" as the soft hyphen U+00AD. Those
are read as the characters the document has.
Usage: check_print_queue.py KEEP_FOLDER INTEGRATION_TESTS_EXE E2E_TESTS_EXE
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


def words(path, page=None):
    pages = ["-f", str(page), "-l", str(page)] if page else []
    text = subprocess.run(["pdftotext", "-enc", "UTF-8", *pages, path, "-"], capture_output=True, check=True).stdout
    return text.decode("utf-8").translate(SHARED_GLYPHS).split()


def check_printed(path):
    """A printed document against the page count and lines kept beside it."""
    with open(path + ".pages") as f:
        expected_pages = int(f.read())
    with open(path + ".txt", encoding="utf-8") as f:
        expected = f.read().split()
    if subprocess.run(["qpdf", "--check", path], capture_output=True).returncode != 0:
        return [f"{path}: qpdf --check fails"]
    failures = []
    if pages(path) != expected_pages:
        failures.append(f"{path}: {pages(path)} pages, the preview showed {expected_pages}")
    got = [w for w in words(path) if w != "-" and not w.isdigit() or w in expected]
    at = 0
    for word in expected:
        try:
            at = got.index(word, at) + 1
        except ValueError:
            failures.append(f"{path}: lacks {word!r} (in order)")
            break
    last = words(path, pages(path))
    if last[-3:] != ["-", str(pages(path)), "-"]:
        failures.append(f"{path}: the last page does not end with its number: {last[-6:]}")
    if not expected and last != ["-", "1", "-"]:
        failures.append(f"{path}: an empty document's page shows {last}")
    return failures


def main():
    keep, programs = os.path.abspath(sys.argv[1]), sys.argv[2:]
    if "CUPS_SERVER" not in os.environ or "NORVO_QUEUE_DIR" not in os.environ:
        print("check_print_queue: run it inside scripts/print-queue")
        return 1
    os.makedirs(keep, exist_ok=True)
    for name in os.listdir(keep):
        os.remove(os.path.join(keep, name))
    env = dict(os.environ, NORVO_QUEUE_KEEP=keep)
    for program in programs:
        if subprocess.run([WINE_EXEC, program, "--gtest_filter=*PrintQueue*"], env=env).returncode != 0:
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
    printed = sorted(n for n in os.listdir(keep) if n.endswith(".pdf") and os.path.exists(os.path.join(keep, n + ".pages")))
    if len(printed) < 2:
        failures.append(f"printed documents kept: {printed}")
    for name in printed:
        failures += check_printed(os.path.join(keep, name))
    for failure in failures:
        print("check_print_queue:", failure)
    if not failures:
        print(f"check_print_queue: {pages(own)} pages, {len(words(own))} words alike through the printer and the own writer;"
              f" printed as previewed: {', '.join(printed)}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
