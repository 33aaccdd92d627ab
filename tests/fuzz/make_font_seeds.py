#!/usr/bin/env python3
"""Seeds for the truetype target, made at fuzz time from the fonts the machine has (no font file
is committed). Each seed is a small standalone TrueType font cut from an installed one with the
standard library alone: the glyphs of a few characters (composites with their parts), glyph
numbers kept, the other glyphs emptied, the font ending after the last glyph kept; a new cmap
(formats 4 and 12), and the head, hhea, maxp, OS/2, post and name tables of the original. One
seed is a two-face collection (ttcf). Usage: make_font_seeds.py OUTPUT_FOLDER [FONT...]"""
import os
import struct
import sys

DEFAULT_FONTS = [
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationMono-Italic.ttf",
]
TEXTS = ["Ab", "Hello 0\u00e9", "\u00c4\u00e9\u00df!", "x"]


def tables_of(data, directory=0):
    count = struct.unpack_from(">H", data, directory + 4)[0]
    out = {}
    for i in range(count):
        tag, _, offset, length = struct.unpack_from(">4sIII", data, directory + 12 + 16 * i)
        out[tag.decode("latin-1")] = data[offset:offset + length]
    return out


def cmap_lookup(cmap, code):
    count = struct.unpack_from(">H", cmap, 2)[0]
    for i in range(count):
        platform, encoding, offset = struct.unpack_from(">HHI", cmap, 4 + 8 * i)
        if platform == 3 and encoding == 1 and struct.unpack_from(">H", cmap, offset)[0] == 4:
            s = cmap[offset:]
            seg = struct.unpack_from(">H", s, 6)[0] // 2
            ends, starts = 14, 16 + 2 * seg
            deltas, ranges = starts + 2 * seg, starts + 4 * seg
            for k in range(seg):
                end, start = struct.unpack_from(">H", s, ends + 2 * k)[0], struct.unpack_from(">H", s, starts + 2 * k)[0]
                if start <= code <= end:
                    delta = struct.unpack_from(">H", s, deltas + 2 * k)[0]
                    rng = struct.unpack_from(">H", s, ranges + 2 * k)[0]
                    if rng == 0:
                        return (code + delta) & 0xFFFF
                    g = struct.unpack_from(">H", s, ranges + 2 * k + rng + 2 * (code - start))[0]
                    return (g + delta) & 0xFFFF if g else 0
    return 0


def glyph_bytes(tables, long_loca, gid):
    loca = tables["loca"]
    if long_loca:
        a, b = struct.unpack_from(">II", loca, 4 * gid)
    else:
        a, b = (2 * v for v in struct.unpack_from(">HH", loca, 2 * gid))
    return tables["glyf"][a:b]


def collect(tables, long_loca, gid, into):
    if gid in into:
        return
    into.add(gid)
    g = glyph_bytes(tables, long_loca, gid)
    if len(g) < 10 or struct.unpack_from(">h", g, 0)[0] >= 0:
        return
    at = 10
    while at + 4 <= len(g):
        flags, part = struct.unpack_from(">HH", g, at)
        collect(tables, long_loca, part, into)
        at += 4 + (4 if flags & 1 else 2)
        at += 2 if flags & 8 else 4 if flags & 0x40 else 8 if flags & 0x80 else 0
        if not flags & 0x20:
            break


def make_cmap(mapping):
    codes = sorted(mapping)
    # format 4: one segment a character, then the final 0xFFFF segment
    seg = len(codes) + 1
    ends = [c for c in codes if c < 0x10000] + [0xFFFF]
    seg = len(ends)
    starts = ends[:]
    deltas = [(mapping[c] - c) & 0xFFFF for c in ends[:-1]] + [1]
    f4 = struct.pack(">HHHHHHH", 4, 16 + 8 * seg, 0, 2 * seg, 2, 0, 0)
    f4 += b"".join(struct.pack(">H", e) for e in ends) + b"\0\0"
    f4 += b"".join(struct.pack(">H", s) for s in starts)
    f4 += b"".join(struct.pack(">H", d) for d in deltas)
    f4 += b"\0\0" * seg
    f4 = f4[:2] + struct.pack(">H", len(f4)) + f4[4:]
    groups = [(c, c, mapping[c]) for c in codes]
    f12 = struct.pack(">HHIII", 12, 0, 16 + 12 * len(groups), 0, len(groups))
    f12 += b"".join(struct.pack(">III", *g) for g in groups)
    head = struct.pack(">HH", 0, 2) + struct.pack(">HHI", 3, 1, 20) + struct.pack(">HHI", 3, 10, 20 + len(f4))
    return head + f4 + f12


def build_font(tables):
    tags = sorted(tables)
    out = struct.pack(">IHHHH", 0x00010000, len(tags), 16, 0, 0)
    offset = 12 + 16 * len(tags)
    body = b""
    for tag in tags:
        data = tables[tag]
        out += tag.encode("latin-1") + struct.pack(">III", 0, offset + len(body), len(data))
        body += data + b"\0" * (-len(data) % 4)
    return out + body


def cut(data, text):
    tables = tables_of(data)
    long_loca = struct.unpack_from(">h", tables["head"], 50)[0] == 1
    mapping = {ord(c): cmap_lookup(tables["cmap"], ord(c)) for c in text}
    keep = set()
    collect(tables, long_loca, 0, keep)
    for g in mapping.values():
        collect(tables, long_loca, g, keep)
    count = max(keep) + 1
    glyf, loca = b"", b""
    for g in range(count):
        loca += struct.pack(">I", len(glyf))
        if g in keep:
            glyf += glyph_bytes(tables, long_loca, g)
            glyf += b"\0" * (-len(glyf) % 4)
    loca += struct.pack(">I", len(glyf))
    hm = min(struct.unpack_from(">H", tables["hhea"], 34)[0], count)
    new = {
        "glyf": glyf, "loca": loca, "hmtx": tables["hmtx"][:4 * hm] + b"\0\0" * (count - hm),
        "head": tables["head"][:50] + b"\0\1" + tables["head"][52:54],
        "hhea": tables["hhea"][:34] + struct.pack(">H", hm),
        "maxp": tables["maxp"][:4] + struct.pack(">H", count) + tables["maxp"][6:32],
        "cmap": make_cmap(mapping),
    }
    for tag, size in (("OS/2", 96), ("post", 32), ("name", 400)):
        if tag in tables:
            new[tag] = tables[tag][:size]
    return build_font(new)


def collection(fonts):
    header = struct.pack(">4sHHI", b"ttcf", 1, 0, len(fonts))
    at = len(header) + 4 * len(fonts)
    offsets, body = [], b""
    for f in fonts:
        offsets.append(at + len(body))
        body += f
    # The faces' table offsets are relative to the file: shift them.
    shifted = b""
    for f, base in zip(fonts, offsets):
        f = bytearray(f)
        for i in range(struct.unpack_from(">H", f, 4)[0]):
            o = struct.unpack_from(">I", f, 12 + 16 * i + 8)[0]
            struct.pack_into(">I", f, 12 + 16 * i + 8, o + base)
        shifted += bytes(f)
    return header + b"".join(struct.pack(">I", o) for o in offsets) + shifted


def main():
    out = sys.argv[1]
    fonts = sys.argv[2:] or DEFAULT_FONTS
    os.makedirs(out, exist_ok=True)
    made = []
    for path in fonts:
        if not os.path.exists(path):
            continue
        data = open(path, "rb").read()
        for i, text in enumerate(TEXTS):
            try:
                seed = cut(data, text)
            except (KeyError, struct.error):
                continue
            name = "%s_%d.ttf" % (os.path.splitext(os.path.basename(path))[0], i)
            open(os.path.join(out, name), "wb").write(seed)
            made.append(seed)
    if len(made) >= 2:
        open(os.path.join(out, "collection.ttc"), "wb").write(collection(made[:2]))
    print("%d font seeds in %s" % (len(made) + (len(made) >= 2), out))


if __name__ == "__main__":
    main()
