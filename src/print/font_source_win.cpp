#include "print/font_source_win.h"

#include "common/handles_win.h"
#include "common/win.h"

namespace {
constexpr DWORD Tag(char a, char b, char c, char d) {
  // GetFontData takes the tag's bytes in file order as a little-endian number.
  return static_cast<DWORD>(a) | static_cast<DWORD>(b) << 8 | static_cast<DWORD>(c) << 16 |
         static_cast<DWORD>(d) << 24;
}

std::string FontData(HDC dc, DWORD table) {
  const DWORD size = GetFontData(dc, table, 0, nullptr, 0);
  if (size == GDI_ERROR || size == 0) return {};
  std::string data(size, '\0');
  if (GetFontData(dc, table, 0, data.data(), size) != size) return {};
  return data;
}

uint32_t BigEndian32(const std::string& d, size_t at) {
  if (at + 4 > d.size()) return 0;
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(d[at + i]);
  return v;
}

// Which face of a collection is the selected one: the one whose 'head' table is the same.
unsigned FaceIndexIn(const std::string& collection, const std::string& head) {
  const uint32_t faces = BigEndian32(collection, 8);
  for (uint32_t i = 0; i < faces && i < 1024; ++i) {
    const uint32_t directory = BigEndian32(collection, 12 + 4 * static_cast<size_t>(i));
    const uint32_t tables = BigEndian32(collection, directory + 4) >> 16;
    for (uint32_t t = 0; t < tables; ++t) {
      const size_t record = directory + 12 + 16 * static_cast<size_t>(t);
      if (collection.compare(record, 4, "head") != 0) continue;
      const uint32_t offset = BigEndian32(collection, record + 8), length = BigEndian32(collection, record + 12);
      if (offset <= collection.size() && length == head.size() && collection.compare(offset, length, head) == 0)
        return i;
    }
  }
  return 0;
}
}  // namespace

std::optional<FontFile> SystemFontFile(const FontRequest& request) {
  Font font(CreateFontW(-100, 0, 0, 0, request.bold ? FW_BOLD : FW_NORMAL, request.italic, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, W(request.face)));
  if (!font) return std::nullopt;
  MemoryDc memory(nullptr);
  HDC dc = memory.get();
  if (!dc) return std::nullopt;
  std::optional<FontFile> file;
  {
    SelectionGuard use(dc, font.get());
    std::string collection = FontData(dc, Tag('t', 't', 'c', 'f'));
    if (!collection.empty() && collection.compare(0, 4, "ttcf") == 0) {
      const unsigned index = FaceIndexIn(collection, FontData(dc, Tag('h', 'e', 'a', 'd')));
      file = FontFile{std::move(collection), index};
    } else if (std::string whole = FontData(dc, 0); !whole.empty()) {
      file = FontFile{std::move(whole), 0};
    }
  }
  return file;
}
