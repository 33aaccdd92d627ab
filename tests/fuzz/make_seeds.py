#!/usr/bin/env python3
"""Writes the committed seed corpora of tests/fuzz/corpus/<target>/ from inputs of the unit
tests (kept small: a few hundred bytes each). Run it again after changing a target's input
layout; the fuzzer's own finds are not committed (only regressions are)."""
import os
import struct
import sys

here = os.path.dirname(os.path.abspath(__file__))
corpus = os.path.join(here, "corpus")


def put(target, name, data):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def u16(text):  # the targets' UnitsOf: UTF-16 LE
    return text.encode("utf-16-le", "surrogatepass")


markdown = ("# One\n## Two\n### Three\n\nA **bold** and *italic* and `code` line.\n"
            "- item one\n* item two\n1. first\n12. twelfth\n> quote\n---\n***\n"
            "Tabs\there & <angle> \"quotes\" 'single'\r\nCRLF line\rCR line\n#### four\n#no\n")
source = ("#include <cstdio>\r\n\r\nint main() {\r\n\tprintf(\"{x} \\\\ %d\\n\", 42);  // \xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80\r\n"
          "\treturn 0;\r\n}\r\n")

# decode: control byte, piece seed, file
for name, body in {
    "utf8": b"plain text\r\nsecond line\n",
    "utf8_bom": b"\xef\xbb\xbfwith mark\r\n",
    "utf16le": b"\xff\xfe" + u16("UTF-16 LE\r\n\u4e2d\U0001F600 end"),
    "utf16be": b"\xfe\xff" + "UTF-16 BE\n\u00e9".encode("utf-16-be"),
    "utf16_lone": b"\xff\xfe" + b"\x00\xd8a\x00\x00\xdcb\x00\x3d\xd8",
    "binary": b"MZ\x00\x00\x00\x01binary",
    "cr_only": b"old mac\rlines\r",
    "ansi": b"caf\xe9 na\xefve\r\n",
}.items():
    put("decode", name, bytes([0x00 if name != "ansi" else 0xC0, 7]) + body)

put("utf", "mixed", b"\x00" + u16("A\u00e9\u4e2d\U0001F600") + b"\x00\xd8")
put("utf", "utf8_bad", b"\x02" + b"ok \xc3\xa9 \xe4\xb8\xad \xf0\x9f\x98\x80 \xc0\x80 \xed\xa0\x80 \xf4\x90\x80\x80 \x80\xff")
put("utf", "be", b"\x05" + "big endian \u00e9".encode("utf-16-be"))

# settings: patches (offset 3 bytes, length, bytes) over the defaults
def patch(offset, data):
    return struct.pack(">I", offset)[1:] + bytes([len(data)]) + data
put("settings", "font_and_last_file", patch(8, u16("Consolas<'\";}")) + patch(143, u16("C:\\docs\\a.md")))
put("settings", "numbers", patch(0, b"\x07\x00\x00\x00\xff\xff\xff\x7f") + patch(663, b"\xff\xff\xff\xff\x00\x00\x00\x80"))
put("settings", "recent", patch(31485, u16("C:\\x\\recent.txt")) + patch(31485 + 520 * 9, u16("z" * 40)))
put("settings", "raw_header", b"NORV\x0e\x00\x00\x00\x4d\x8f\x00\x00\x00\x00\x00\x00")

put("markdown_html", "document", b"\x00\x08Segoe UI" + markdown.encode("utf-8"))
put("markdown_html", "spans", b"\x00\x0dA<b>'c\";{d}" + b"**a *b* `c` _d_** __x__ ** `*` \xf6\xf7 \xf8")
put("markdown_html", "utf16", b"\x01\x00" + u16("# \u00dcber\n- \U0001F600 *\u4e2d*\n"))

def html_seed(text, styles, title=b"a<b>.cpp", font=b"Consolas"):
    tables = b"".join(struct.pack(">II", 0x00336699 + i, 0x00112233) for i in range(19))
    return (b"\x01" + tables + bytes([len(title)]) + title + bytes([len(font)]) + font + b"\x00\x1e\x1e\x1e" +
            text + styles)
src = source.encode("latin-1")
put("html_export", "source", html_seed(src, bytes((i * 5) % 130 for i in range(len(src)))))
put("html_export", "empty_lines", html_seed(b"\n\n\t<&>\"'\n", b"\x00\x07\x0e\x80\xff\x01\x02\x03\x04\x05"))

def rtf_seed(text, styles, font=b"Courier New", how=2):
    tables = b"".join(struct.pack(">I", 0x00EEEEEE - i * 0x111) + b"\x01\x00" for i in range(26))
    return bytes([how]) + tables + bytes([len(font)]) + font + b"\x0b" + text + styles
put("rtf_export", "source", rtf_seed(src, bytes((i * 3) % 140 for i in range(len(src)))))
put("rtf_export", "braces", rtf_seed(b"{\\}\r\n\t\xc3\xa9\xf0\x9f\x98\x80\xff\xe4\xb8", b"\x00" * 4, b"A{b}", 1))

for i, (how, pattern, replacement, text) in enumerate([
        (0x01, b"\\w+", b"[$&]", b"one two\r\nthree\n"),
        (0x07, b"(a)(b)?", b"$2$1$$", b"abAB aab"),
        (0x01, b"^$|x*", b"-", b"\n\nx\r\n"),
        (0x03, b"(?<=a)b|[^]|[]a]", b"$'$`", b"ab]b"),
        (0x11, b"\\u00e9|.", b"$0", u16("\u00e9\U0001F600")),
        (0x01, b"(?=a)|^a", b"", b"xa"),
        (0x01, b"(*UCP)a|a++|\\Qa\\E", b"$1", b"aaa"),
        (0x01, b"\\b\\w+\\b\\s*", b"$01$10", b"\xf0\xf4 \xf6\xf7 w"),
]):
    put("regex_pattern", "case%d" % i, bytes([how, len(pattern)]) + pattern + bytes([len(replacement)]) + replacement + text)

put("regex_replace", "groups", b"\x0c" + b"abc def gh" + b"\x03" + b"\x00\x05\x00\x03\xff\xff" + b"\x00" +
    b"$&|$0|$1|$2|$3|$10|$01|$$|$`|$'|$|$x")
put("regex_replace", "case", b"\x05" + b"HeLLo" + b"\x01" + b"\x00\x05" + b"\x02" + b"world $0")

# regex_std: the bytes choose the grammar's terms, so any bytes are seeds
put("regex_std", "a", bytes(range(0, 60, 1)))
put("regex_std", "b", bytes(range(255, 180, -1)))
put("regex_std", "c", bytes([1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 9, 9, 9, 9, 1, 2, 3, 4]))

put("regex_log", "lines", bytes([0x0a]) + b"\x00\x00\x07\xe8\x05\x06" + b"\x00\x00\x00\x0c\x07\x08" + b"\x00\x00\x00\x0d" +
    b"\x00" * 8 + b"\x00\x00\x00\x00\x66\x00\x00\x00" + b"\x00\x00\x00\x00\x67\x10\x00\x00" +
    b"\x03a+b" + b"\x02xy" + b"line one ab\r\naab\nlast aaab")
put("regex_log", "long", bytes([0x93]) + b"\x00" * 32 + b"\x02\\w" + b"\x00" + b"words " * 20 + b"\n\n")

put("pdf_text", "text", b"\x00" + "Ab\u00e9 \u4e2d (x) \\ \r\n".encode("utf-8") + b"\xf6\xf7\xf8")
put("pdf_text", "units", b"\x01" + u16("Hello \U0001F600 \u00e9\u0301 \ufffd") + b"\x00\xdc")

put("markdown_pdf", "document", b"\x00\x00\x10\x00\x18\x14\x0a" + markdown.encode("utf-8"))
put("markdown_pdf", "narrow", b"\x00\x00\x00\x10\x00\x00\x0b" + b"# a very long heading that wraps\n- **b** *i* `c`\r\n")

def layout_seed(text, styles, width=b"\x00\x00\x01\x00"):
    tables = b"".join(struct.pack(">I", 0x00FFFFFF - i * 0x10101) + b"\x01\x00" for i in range(15))
    pairs = bytes(b for pair in zip(text, styles) for b in pair)
    return width + tables + pairs + (b"\x00" if len(pairs) % 2 else b"")
put("pdf_layout", "line", layout_seed(src[:60], bytes((i // 4) % 130 for i in range(60))))
put("pdf_layout", "utf8", layout_seed("\u00e9\u4e2d\U0001F600 x \xff".encode("utf-8") + b"\xff\xc3", b"\x01" * 20, b"\x00\x00\x00\x05"))
print("seeds written to", corpus)
