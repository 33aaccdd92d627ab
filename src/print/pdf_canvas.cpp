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
  return true;
}

bool PdfCanvas::EndPage() {
  if (!inPage_ || aborted_) return false;
  inPage_ = false;
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

int PdfCanvas::MakeFont(const FontRequest& request) {
  std::string key(request.face.begin(), request.face.end());  // code units as bytes: only a key
  key += request.bold ? "|b" : "|-";
  key += request.italic ? "i" : "-";
  auto it = faces_.find(key);
  if (it == faces_.end()) {
    std::optional<FontFile> file = source_ ? source_(request) : std::nullopt;
    if (!file) return 0;
    std::optional<TrueTypeFont> font = TrueTypeFont::Parse(std::move(file->data), file->faceIndex);
    if (!font) return 0;
    auto face = std::make_unique<Face>(std::move(*font), "/F" + std::to_string(faces_.size() + 1));
    it = faces_.emplace(key, std::move(face)).first;
  }
  const double em = request.height < 0 ? -request.height : request.height;
  fonts_.push_back({it->second.get(), em > 0 ? em : geometry_.dpiY * 10.0 / 72});
  return static_cast<int>(fonts_.size());
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

int PdfCanvas::Measure(std::u16string_view text) {
  if (!selected_) return 0;
  const Made& m = fonts_[selected_ - 1];
  return static_cast<int>(std::lround(m.face->use.Width(text, m.em)));
}

void PdfCanvas::SetTextColour(uint32_t colorref) {
  colour_ = colorref;
}

std::string PdfCanvas::Colour(uint32_t colorref) const {
  auto channel = [](uint32_t v) { return PdfNumber((v & 0xFF) / 255.0); };
  return channel(colorref) + " " + channel(colorref >> 8) + " " + channel(colorref >> 16);
}

void PdfCanvas::PlaceText(int x, int y, std::u16string_view text) {
  if (!inPage_ || !selected_ || text.empty()) return;
  Made& m = fonts_[selected_ - 1];
  Face& face = *m.face;
  if (!face.object) face.object = pdf_.Reserve();
  pageFaces_.insert(&face);
  const FontMetrics& metrics = face.font.Metrics();
  const double baseline = y + metrics.winAscent * m.em / metrics.unitsPerEm;
  content_ += "BT " + face.name + " " + PdfNumber(m.em * 72.0 / geometry_.dpiY) + " Tf " + Colour(colour_) + " rg " +
              PdfNumber(X(x)) + " " + PdfNumber(Y(baseline)) + " Td " + face.use.Encode(text) + " Tj ET\n";
}

void PdfCanvas::DrawLine(int x1, int y1, int x2, int y2, int width, uint32_t colorref) {
  if (!inPage_) return;
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
