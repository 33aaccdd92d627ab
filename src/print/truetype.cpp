#include "print/truetype.h"

#include <algorithm>
#include <map>

namespace {
uint32_t U8(std::string_view d, size_t at) { return at < d.size() ? static_cast<unsigned char>(d[at]) : 0; }
uint32_t U16(std::string_view d, size_t at) { return U8(d, at) << 8 | U8(d, at + 1); }
int32_t S16(std::string_view d, size_t at) { return static_cast<int16_t>(U16(d, at)); }
uint32_t U32(std::string_view d, size_t at) { return U16(d, at) << 16 | U16(d, at + 2); }

void Put16(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v >> 8 & 0xFF));
  out.push_back(static_cast<char>(v & 0xFF));
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, v >> 16);
  Put16(out, v & 0xFFFF);
}
void Set32(std::string& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(v >> (24 - 8 * i) & 0xFF);
}

uint32_t Checksum(std::string_view bytes) {
  uint32_t sum = 0;
  for (size_t i = 0; i < bytes.size(); i += 4) sum += U32(bytes, i);  // U8 reads zeros past the end
  return sum;
}

// The composite glyph flags that say how long each part's record is.
constexpr uint16_t kArgsAreWords = 0x0001, kHaveScale = 0x0008, kMoreComponents = 0x0020, kHaveXYScale = 0x0040,
                   kHaveTwoByTwo = 0x0080;
}  // namespace

std::optional<TrueTypeFont> TrueTypeFont::Parse(std::string data, unsigned faceIndex) {
  TrueTypeFont font;
  font.data_ = std::move(data);
  if (!font.Load(faceIndex)) return std::nullopt;
  return font;
}

std::optional<TrueTypeFont::Table> TrueTypeFont::Find(std::string_view tag) const {
  std::string_view d(data_);
  const uint32_t count = U16(d, directory_ + 4);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t record = directory_ + 12 + 16 * static_cast<size_t>(i);
    if (record + 16 > d.size()) return std::nullopt;
    if (d.substr(record, 4) != tag) continue;
    Table t{U32(d, record + 8), U32(d, record + 12)};
    if (t.offset > d.size() || t.length > d.size() - t.offset) return std::nullopt;
    return t;
  }
  return std::nullopt;
}

bool TrueTypeFont::Load(unsigned faceIndex) {
  std::string_view d(data_);
  if (d.substr(0, 4) == "ttcf") {
    if (faceIndex >= U32(d, 8) || 12 + 4 * static_cast<size_t>(faceIndex) + 4 > d.size()) return false;
    directory_ = U32(d, 12 + 4 * faceIndex);
  }
  if (directory_ + 12 > d.size()) return false;
  const uint32_t version = U32(d, directory_);
  if (version != 0x00010000 && version != 0x74727565) return false;  // TrueType outlines only
  auto head = Find("head"), hhea = Find("hhea"), maxp = Find("maxp"), hmtx = Find("hmtx"), loca = Find("loca"),
       glyf = Find("glyf"), cmap = Find("cmap");
  if (!head || !hhea || !maxp || !hmtx || !loca || !glyf) return false;
  if (head->length < 54 || hhea->length < 36 || maxp->length < 6) return false;
  std::string_view h = Bytes(*head), hh = Bytes(*hhea);
  metrics_.unitsPerEm = static_cast<int>(U16(h, 18));
  if (metrics_.unitsPerEm < 16) return false;
  metrics_.xMin = S16(h, 36);
  metrics_.yMin = S16(h, 38);
  metrics_.xMax = S16(h, 40);
  metrics_.yMax = S16(h, 42);
  longLoca_ = S16(h, 50) == 1;
  metrics_.ascent = S16(hh, 4);
  metrics_.descent = S16(hh, 6);
  metrics_.capHeight = metrics_.ascent;
  horizontalMetrics_ = U16(hh, 34);
  glyphCount_ = U16(Bytes(*maxp), 4);
  if (glyphCount_ == 0 || horizontalMetrics_ == 0 || horizontalMetrics_ > glyphCount_) return false;
  if (hmtx->length < 4 * horizontalMetrics_) return false;
  if (loca->length < (longLoca_ ? 4u : 2u) * (glyphCount_ + 1)) return false;
  loca_ = *loca;
  glyf_ = *glyf;
  hmtx_ = *hmtx;
  metrics_.winAscent = metrics_.ascent;
  metrics_.winDescent = -metrics_.descent;
  if (auto os2 = Find("OS/2"); os2 && os2->length >= 78) {
    metrics_.winAscent = static_cast<int>(U16(Bytes(*os2), 74));
    metrics_.winDescent = static_cast<int>(U16(Bytes(*os2), 76));
    if (os2->length >= 90 && U16(Bytes(*os2), 0) >= 2) metrics_.capHeight = S16(Bytes(*os2), 88);
  }
  if (auto post = Find("post"); post && post->length >= 16) {
    std::string_view p = Bytes(*post);
    metrics_.italicAngle = static_cast<int32_t>(U32(p, 4)) / 65536.0;
    metrics_.fixedPitch = U32(p, 12) != 0;
  }
  if (auto name = Find("name"); name && name->length >= 6) {
    std::string_view n = Bytes(*name);
    const uint32_t count = U16(n, 2), strings = U16(n, 4);
    for (uint32_t i = 0; i < count && metrics_.postScriptName.empty(); ++i) {
      const size_t r = 6 + 12 * static_cast<size_t>(i);
      if (U16(n, r + 6) != 6) continue;  // name id 6: the PostScript name
      const uint32_t platform = U16(n, r), length = U16(n, r + 8), at = strings + U16(n, r + 10);
      std::string_view raw = n.substr(std::min<size_t>(at, n.size()), length);
      std::string ascii;
      const size_t step = platform == 3 || platform == 0 ? 2 : 1;  // UTF-16BE or single bytes
      for (size_t k = step - 1; k < raw.size(); k += step) {
        const char c = raw[k];
        // Only the characters that may stand in a PDF name as they are: no delimiter, no '#'.
        if (c > 32 && c < 127 && std::string_view("/()[]<>{}%#").find(c) == std::string_view::npos) ascii.push_back(c);
      }
      metrics_.postScriptName = ascii;
    }
  }
  if (!cmap) return true;  // a subset: glyphs are addressed by number
  cmapOffset_ = cmap->offset;
  return ReadCmap(*cmap);
}

bool TrueTypeFont::ReadCmap(const Table& cmap) {
  std::string_view c = Bytes(cmap);
  const uint32_t count = U16(c, 2);
  uint32_t best = 0, bestRank = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t r = 4 + 8 * static_cast<size_t>(i);
    const uint32_t platform = U16(c, r), encoding = U16(c, r + 2), at = U32(c, r + 4);
    const uint32_t format = U16(c, at);
    uint32_t rank = 0;
    if (format == 12 && (platform == 3 || platform == 0)) rank = 3;
    else if (format == 4 && platform == 3 && (encoding == 1 || encoding == 0)) rank = 2;
    else if (format == 4 && platform == 0) rank = 1;
    if (rank > bestRank) bestRank = rank, best = at;
  }
  if (bestRank == 0 || best >= c.size()) return false;
  std::string_view s = c.substr(best);
  if (U16(s, 0) == 12) {
    const uint32_t groups = U32(s, 12);
    if (groups > (s.size() - std::min<size_t>(s.size(), 16)) / 12) return false;
    for (uint32_t g = 0; g < groups; ++g) {
      const size_t r = 16 + 12 * static_cast<size_t>(g);
      segments_.push_back({U32(s, r), U32(s, r + 4), U32(s, r + 8), 0, true});
    }
    return true;
  }
  const uint32_t segCount = U16(s, 6) / 2;
  const size_t ends = 14, starts = ends + 2 * segCount + 2, deltas = starts + 2 * segCount,
               ranges = deltas + 2 * segCount;
  if (ranges + 2 * segCount > s.size()) return false;
  for (uint32_t i = 0; i < segCount; ++i) {
    const uint32_t rangeOffset = U16(s, ranges + 2 * i);
    const uint32_t rangeAt = rangeOffset ? static_cast<uint32_t>(best + ranges + 2 * i + rangeOffset) : 0;
    segments_.push_back({U16(s, starts + 2 * i), U16(s, ends + 2 * i), U16(s, deltas + 2 * i), rangeAt, false});
  }
  return true;
}

uint16_t TrueTypeFont::GlyphOf(char32_t codePoint) const {
  for (const Segment& seg : segments_) {
    if (codePoint < seg.first || codePoint > seg.last) continue;
    uint32_t glyph;
    if (seg.format12) {
      glyph = seg.start + (codePoint - seg.first);
    } else if (seg.rangeAt == 0) {
      glyph = (codePoint + seg.start) & 0xFFFF;
    } else {
      // Within the cmap table: idRangeOffset's own place + the offset + 2 * (c - start).
      const size_t at = cmapOffset_ + seg.rangeAt + 2 * static_cast<size_t>(codePoint - seg.first);
      glyph = U16(data_, at);
      if (glyph) glyph = (glyph + seg.start) & 0xFFFF;
    }
    return glyph < glyphCount_ ? static_cast<uint16_t>(glyph) : 0;
  }
  return 0;
}

int TrueTypeFont::AdvanceOf(uint16_t glyph) const {
  const unsigned index = std::min<unsigned>(glyph, horizontalMetrics_ - 1);
  return static_cast<int>(U16(Bytes(hmtx_), 4 * static_cast<size_t>(index)));
}

std::string_view TrueTypeFont::GlyphData(uint16_t glyph) const {
  if (glyph >= glyphCount_) return {};
  std::string_view loca = Bytes(loca_);
  uint32_t from, to;
  if (longLoca_) {
    from = U32(loca, 4 * static_cast<size_t>(glyph));
    to = U32(loca, 4 * static_cast<size_t>(glyph) + 4);
  } else {
    from = 2 * U16(loca, 2 * static_cast<size_t>(glyph));
    to = 2 * U16(loca, 2 * static_cast<size_t>(glyph) + 2);
  }
  if (to <= from || to > glyf_.length) return {};
  return Bytes(glyf_).substr(from, to - from);
}

void TrueTypeFont::CollectGlyph(uint16_t glyph, std::set<uint16_t>& into, int depth) const {
  if (glyph >= glyphCount_ || depth > 16 || !into.insert(glyph).second) return;
  std::string_view g = GlyphData(glyph);
  if (g.size() < 10 || S16(g, 0) >= 0) return;  // a simple glyph
  size_t at = 10;
  for (;;) {
    if (at + 4 > g.size()) return;
    const uint32_t flags = U16(g, at);
    CollectGlyph(static_cast<uint16_t>(U16(g, at + 2)), into, depth + 1);
    at += 4 + ((flags & kArgsAreWords) ? 4 : 2);
    if (flags & kHaveScale) at += 2;
    else if (flags & kHaveXYScale) at += 4;
    else if (flags & kHaveTwoByTwo) at += 8;
    if (!(flags & kMoreComponents)) return;
  }
}

std::string TrueTypeFont::Subset(const std::set<uint16_t>& used) const {
  std::set<uint16_t> keep;
  CollectGlyph(0, keep);
  for (uint16_t g : used) CollectGlyph(g, keep);

  // Glyph numbers stay as they are; the font ends after the last glyph kept.
  const unsigned count = *keep.rbegin() + 1u;
  std::map<std::string, std::string> tables;
  std::string glyf, loca;
  for (unsigned g = 0; g < count; ++g) {
    Put32(loca, static_cast<uint32_t>(glyf.size()));
    if (keep.count(static_cast<uint16_t>(g))) {
      glyf += GlyphData(static_cast<uint16_t>(g));
      while (glyf.size() % 4) glyf.push_back('\0');
    }
  }
  Put32(loca, static_cast<uint32_t>(glyf.size()));
  tables["glyf"] = std::move(glyf);
  tables["loca"] = std::move(loca);
  for (const char* tag : {"head", "hhea", "maxp", "cvt ", "fpgm", "prep"})
    if (auto t = Find(tag)) tables[tag] = std::string(Bytes(*t));
  // Horizontal metrics of the glyphs kept: whole records, then left side bearings alone.
  const unsigned metrics = std::min(horizontalMetrics_, count);
  std::string hmtx(Bytes(hmtx_).substr(0, 4 * static_cast<size_t>(metrics)));
  for (unsigned g = metrics; g < count; ++g) Put16(hmtx, U16(Bytes(hmtx_), 4 * horizontalMetrics_ + 2 * (g - horizontalMetrics_)));
  tables["hmtx"] = std::move(hmtx);
  std::string& hhea = tables["hhea"];
  hhea[34] = static_cast<char>(metrics >> 8), hhea[35] = static_cast<char>(metrics & 0xFF);
  std::string& maxp = tables["maxp"];
  maxp[4] = static_cast<char>(count >> 8), maxp[5] = static_cast<char>(count & 0xFF);
  std::string& head = tables["head"];
  head[50] = 0, head[51] = 1;              // long loca offsets
  Set32(head, 8, 0);                       // checkSumAdjustment, set below

  const uint32_t tableCount = static_cast<uint32_t>(tables.size());
  uint32_t power = 1, log2 = 0;
  while (power * 2 <= tableCount) power *= 2, ++log2;
  std::string out;
  Put32(out, 0x00010000);
  Put16(out, tableCount);
  Put16(out, power * 16);
  Put16(out, log2);
  Put16(out, tableCount * 16 - power * 16);
  size_t offset = 12 + 16 * static_cast<size_t>(tableCount);
  for (const auto& [tag, bytes] : tables) {  // the directory is sorted by tag
    out += tag;
    Put32(out, Checksum(bytes));
    Put32(out, static_cast<uint32_t>(offset));
    Put32(out, static_cast<uint32_t>(bytes.size()));
    offset += (bytes.size() + 3) / 4 * 4;
  }
  size_t headAt = 0;
  for (const auto& [tag, bytes] : tables) {
    if (tag == "head") headAt = out.size();
    out += bytes;
    while (out.size() % 4) out.push_back('\0');
  }
  Set32(out, headAt + 8, 0xB1B0AFBAu - Checksum(out));
  return out;
}

std::string SubsetTag(const std::set<uint16_t>& glyphs, std::string_view name) {
  uint32_t hash = 2166136261u;
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  for (uint16_t g : glyphs) hash = (hash ^ g) * 16777619u;
  std::string tag;
  for (int i = 0; i < 6; ++i, hash /= 26) tag.push_back(static_cast<char>('A' + hash % 26));
  return tag;
}
