// The program's own PDF writer behind the page surface: A4 as a 600-dpi device, text as real
// text in embedded subsets of TrueType faces, pages written to the sink as they are finished.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "print/page_surface.h"
#include "print/pdf_font.h"
#include "print/pdf_writer.h"
#include "print/truetype.h"

// A font's file as the system gives it (a .ttf, or a collection with the face's index).
struct FontFile {
  std::string data;
  unsigned faceIndex = 0;
};
// Where the canvas gets the file of a requested face; nothing when there is none.
using FontSource = std::function<std::optional<FontFile>(const FontRequest& request)>;

class PdfCanvas final : public PageSurface {
 public:
  PdfCanvas(PdfWriter::Sink sink, FontSource fonts, PageGeometry geometry = {});
  ~PdfCanvas() override;

  PageGeometry Geometry() const override { return geometry_; }
  bool StartPage() override;
  bool EndPage() override;
  int MakeFont(const FontRequest& request) override;
  void SelectFont(int font) override;
  int TextHeight() override;
  int Ascent() override;
  int Measure(std::u16string_view text) override;
  void SetTextColour(uint32_t colorref) override;
  void PlaceText(int x, int y, std::u16string_view text) override;
  void DrawLine(int x1, int y1, int x2, int y2, int width, uint32_t colorref) override;
  bool Finish() override;
  void Abort() override;

  int PageCount() const { return static_cast<int>(kids_.size()); }

 private:
  struct Face;
  struct Made {
    Face* face;
    double em;  // the character height in device units
  };
  // A piece of text in one face: the chosen face, or a fallback face for characters it lacks;
  // `missing` when no face has them (drawn as the missing-glyph box).
  struct Piece {
    Face* face;
    std::u16string text;
    bool missing;
  };
  std::vector<Piece> Pieces(Face& primary, std::u16string_view text);
  Face* LoadFace(const FontRequest& request);
  Face* FallbackFor(char32_t c);
  double X(double x) const { return x * 72.0 / geometry_.dpiX; }
  double Y(double y) const { return (geometry_.height - y) * 72.0 / geometry_.dpiY; }
  std::string Colour(uint32_t colorref) const;
  void EndText();
  // The open text object's state: what is set, and where the last piece started (points).
  struct TextState {
    bool open = false, placed = false;
    const Face* face = nullptr;
    std::string size, colour;
    double x = 0, y = 0;  // the start of the line the last move went to
    double end = 0;       // where the last piece's glyphs ended
  };

  PdfWriter pdf_;
  FontSource source_;
  PageGeometry geometry_;
  std::map<std::string, std::unique_ptr<Face>> faces_;  // by face, bold and italic
  std::vector<Made> fonts_;                             // font k is fonts_[k - 1]
  int selected_ = 0;
  uint32_t colour_ = 0;
  int pagesObject_ = 0;
  std::vector<int> kids_;
  bool inPage_ = false, aborted_ = false, finished_ = false;
  std::string content_;
  TextState text_;
  std::set<Face*> pageFaces_;
  std::map<char32_t, Face*> fallbacks_;  // the face that has a character the chosen one lacks
};
