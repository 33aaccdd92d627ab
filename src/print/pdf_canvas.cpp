#include "print/pdf_canvas.h"

#include <cmath>

struct PdfCanvas::Face {
  Face(TrueTypeFont f, std::string resourceName) : font(std::move(f)), use(font), name(std::move(resourceName)) {}
  TrueTypeFont font;
  PdfFontUse use;
  std::string name;  // "/F3"
  int object = 0;    // reserved when the face first draws
};

PdfCanvas::PdfCanvas(PdfWriter::Sink sink, FontSource fonts, PageGeometry geometry)
    : pdf_(std::move(sink)), source_(std::move(fonts)), geometry_(geometry) {
  pagesObject_ = pdf_.Reserve();
}

PdfCanvas::~PdfCanvas() = default;

bool PdfCanvas::StartPage() {
  if (aborted_ || finished_ || inPage_ || pdf_.Failed()) return false;
  inPage_ = true;
  content_.clear();
  pageFaces_.clear();
  text_ = TextState{};
  return true;
}

bool PdfCanvas::EndPage() {
  if (!inPage_ || aborted_) return false;
  inPage_ = false;
  EndText();
  const int page = pdf_.Reserve(), content = pdf_.Reserve();
  std::string fonts;
  for (Face* face : pageFaces_) fonts += face->name + " " + std::to_string(face->object) + " 0 R ";
  const std::string box = "[0 0 " + PdfNumber(geometry_.width * 72.0 / geometry_.dpiX) + " " +
                          PdfNumber(geometry_.height * 72.0 / geometry_.dpiY) + "]";
  kids_.push_back(page);
  return pdf_.Stream(content, "", content_) &&
         pdf_.Object(page, "<< /Type /Page /Parent " + std::to_string(pagesObject_) + " 0 R /MediaBox " + box +
                               " /Resources << /Font << " + fonts + ">> >> /Contents " + std::to_string(content) +
                               " 0 R >>");
}

PdfCanvas::Face* PdfCanvas::LoadFace(const FontRequest& request) {
  std::string key(request.face.begin(), request.face.end());  // code units as bytes: only a key
  key += request.bold ? "|b" : "|-";
  key += request.italic ? "i" : "-";
  auto it = faces_.find(key);
  if (it != faces_.end()) return it->second.get();
  std::optional<FontFile> file = source_ ? source_(request) : std::nullopt;
  if (!file) return nullptr;
  std::optional<TrueTypeFont> font = TrueTypeFont::Parse(std::move(file->data), file->faceIndex);
  if (!font) return nullptr;
  auto face = std::make_unique<Face>(std::move(*font), "/F" + std::to_string(faces_.size() + 1));
  return faces_.emplace(key, std::move(face)).first->second.get();
}

int PdfCanvas::MakeFont(const FontRequest& request) {
  Face* face = LoadFace(request);
  if (!face) return 0;
  const double em = request.height < 0 ? -request.height : request.height;
  fonts_.push_back({face, em > 0 ? em : geometry_.dpiY * 10.0 / 72});
  return static_cast<int>(fonts_.size());
}

PdfCanvas::Face* PdfCanvas::FallbackFor(char32_t c) {
  auto known = fallbacks_.find(c);
  if (known != fallbacks_.end()) return known->second;
  static const char16_t* const kFallbackFaces[] = {u"Segoe UI Symbol", u"Segoe UI Emoji", u"Segoe UI",
                                                   u"Arial Unicode MS", u"DejaVu Sans", u"Liberation Sans"};
  Face* found = nullptr;
  for (const char16_t* name : kFallbackFaces) {
    Face* face = LoadFace({name, 0, false, false});
    if (face && face->font.GlyphOf(c) != 0) {
      found = face;
      break;
    }
  }
  fallbacks_[c] = found;
  return found;
}

std::vector<PdfCanvas::Piece> PdfCanvas::Pieces(Face& primary, std::u16string_view text) {
  std::vector<Piece> pieces;
  for (size_t i = 0; i < text.size();) {
    const size_t width = i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF ? 2 : 1;
    const std::u32string point = CodePoints(text.substr(i, width));
    Face* face = &primary;
    bool missing = false;
    if (!point.empty() && point[0] >= 0x20 && primary.font.GlyphOf(point[0]) == 0) {
      face = FallbackFor(point[0]);
      missing = face == nullptr;
      if (!face) face = &primary;
    }
    if (pieces.empty() || pieces.back().face != face || pieces.back().missing != missing)
      pieces.push_back({face, u"", missing});
    pieces.back().text += text.substr(i, width);
    i += width;
  }
  return pieces;
}

void PdfCanvas::SelectFont(int font) {
  if (font >= 1 && font <= static_cast<int>(fonts_.size())) selected_ = font;
}

int PdfCanvas::TextHeight() {
  if (!selected_) return 0;
  const Made& m = fonts_[selected_ - 1];
  const FontMetrics& metrics = m.face->font.Metrics();
  return static_cast<int>(std::lround((metrics.winAscent + metrics.winDescent) * m.em / metrics.unitsPerEm));
}

int PdfCanvas::Ascent() {
  if (!selected_) return 0;
  const Made& m = fonts_[selected_ - 1];
  const FontMetrics& metrics = m.face->font.Metrics();
  return static_cast<int>(std::lround(metrics.winAscent * m.em / metrics.unitsPerEm));
}

int PdfCanvas::Measure(std::u16string_view text) {
  if (!selected_) return 0;
  const Made& m = fonts_[selected_ - 1];
  double width = 0;
  for (const Piece& piece : Pieces(*m.face, text)) width += piece.face->use.Width(piece.text, m.em);
  return static_cast<int>(std::lround(width));
}

void PdfCanvas::SetTextColour(uint32_t colorref) {
  colour_ = colorref;
}

std::string PdfCanvas::Colour(uint32_t colorref) const {
  auto channel = [](uint32_t v) { return PdfNumber((v & 0xFF) / 255.0); };
  return channel(colorref) + " " + channel(colorref >> 8) + " " + channel(colorref >> 16);
}

// Text goes into one text object while nothing else is drawn: the font and the colour are set
// only when they change, and each piece moves from the last one's start, which keeps the page's
// content short.
void PdfCanvas::PlaceText(int x, int y, std::u16string_view text) {
  if (!inPage_ || !selected_ || text.empty()) return;
  Made& m = fonts_[selected_ - 1];
  if (!text_.open) {
    content_ += "BT\n";
    text_ = TextState{};
    text_.open = true;
  }
  const std::string colour = Colour(colour_);
  if (text_.colour != colour) {
    content_ += colour + " rg\n";
    text_.colour = colour;
  }
  const FontMetrics& metrics = m.face->font.Metrics();
  // On the hundredths PDF numbers are written with, so that the moves add up without drift.
  const double px = std::round(X(x) * 100) / 100,
               py = std::round(Y(y + metrics.winAscent * m.em / metrics.unitsPerEm) * 100) / 100;
  // A piece that starts where the last one ended (its glyphs' advances) needs no move.
  if (!(text_.placed && py == text_.y && std::fabs(px - text_.end) < 0.15)) {
    content_ += PdfNumber(px - text_.x) + " " + PdfNumber(py - text_.y) + " Td\n";
    text_.x = px;
    text_.y = py;
    text_.end = px;
  }
  const std::string size = PdfNumber(m.em * 72.0 / geometry_.dpiY);
  for (Piece& piece : Pieces(*m.face, text)) {
    Face& face = *piece.face;
    if (!face.object) face.object = pdf_.Reserve();
    pageFaces_.insert(&face);
    if (text_.face != &face || text_.size != size) {
      content_ += face.name + " " + size + " Tf\n";
      text_.face = &face;
      text_.size = size;
    }
    // A character no face has is drawn as the missing-glyph box; its text stays in the page.
    if (piece.missing) content_ += "/Span << /ActualText " + ActualTextHex(piece.text) + " >> BDC ";
    content_ += face.use.Encode(piece.text) + " Tj";
    content_ += piece.missing ? " EMC\n" : "\n";
    text_.end += face.use.Width(piece.text, m.em) * 72.0 / geometry_.dpiX;
  }
  text_.placed = true;
}

void PdfCanvas::EndText() {
  if (!text_.open) return;
  content_ += "ET\n";
  text_.open = false;
}

void PdfCanvas::DrawLine(int x1, int y1, int x2, int y2, int width, uint32_t colorref) {
  if (!inPage_) return;
  EndText();
  content_ += PdfNumber(X(width > 0 ? width : 1)) + " w " + Colour(colorref) + " RG " + PdfNumber(X(x1)) + " " +
              PdfNumber(Y(y1)) + " m " + PdfNumber(X(x2)) + " " + PdfNumber(Y(y2)) + " l S\n";
}

bool PdfCanvas::Finish() {
  if (aborted_ || finished_) return false;
  finished_ = true;
  if (inPage_ && !EndPage()) return false;
  for (const auto& [key, face] : faces_)
    if (face->object && !face->use.Write(pdf_, face->object)) return false;
  std::string kids;
  for (int page : kids_) kids += std::to_string(page) + " 0 R ";
  const int catalog = pdf_.Reserve();
  return pdf_.Object(pagesObject_, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(kids_.size()) +
                                       " >>") &&
         pdf_.Object(catalog, "<< /Type /Catalog /Pages " + std::to_string(pagesObject_) + " 0 R >>") &&
         pdf_.Finish(catalog);
}

void PdfCanvas::Abort() {
  aborted_ = true;
  inPage_ = false;
}
