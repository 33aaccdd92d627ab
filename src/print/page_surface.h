// The drawing surface the PDF page layouts draw on, in a page's device units (y grows down):
// pages, fonts (a face at a size, bold and italic), text colour, text measurement, text placed
// by the top-left of its cell, and lines. A printer device context and the program's own PDF
// writer both offer it, with the same geometry, so a layout comes out the same on either.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct PageGeometry {
  int dpiX = 600, dpiY = 600;
  int width = 4960, height = 7016;  // PHYSICALWIDTH and PHYSICALHEIGHT
  int offsetX = 0, offsetY = 0;     // PHYSICALOFFSETX and PHYSICALOFFSETY
};

struct FontRequest {
  std::u16string face;
  int height = 0;  // as CreateFontW takes it: negative for the character (em) height in device units
  bool bold = false, italic = false;
  bool fixedPitch = false;  // asked of a printer's font mapper; the own writer takes the face as named
};

class PageSurface {
 public:
  virtual ~PageSurface() = default;
  virtual PageGeometry Geometry() const = 0;
  virtual bool StartPage() = 0;
  virtual bool EndPage() = 0;
  // A font to select later; 0 when it cannot be made.
  virtual int MakeFont(const FontRequest& request) = 0;
  virtual void SelectFont(int font) = 0;
  // The selected font's cell height (ascent + descent) in device units, and its part above the
  // baseline.
  virtual int TextHeight() = 0;
  virtual int Ascent() = 0;
  virtual int Measure(std::u16string_view text) = 0;
  virtual void SetTextColour(uint32_t colorref) = 0;
  virtual void PlaceText(int x, int y, std::u16string_view text) = 0;
  virtual void DrawLine(int x1, int y1, int x2, int y2, int width, uint32_t colorref) = 0;
  // Completes the file; false when it could not be written whole.
  virtual bool Finish() = 0;
  // Gives the file up: nothing of it is left.
  virtual void Abort() = 0;
};
