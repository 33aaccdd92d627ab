// The page surface on a printer's device context: the system's PDF printer writes the pages
// into a file, any other printer prints them. Geometry and measurement are the printer's own.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "common/handles_win.h"
#include "common/win.h"
#include "print/page_surface.h"

// True when a printer of that name is installed.
bool PrinterInstalled(const std::u16string& printer);

class PrinterSurface final : public PageSurface {
 public:
  // Starts a document on the printer: into `outputFile` when it is not empty (the PDF printer
  // writes there), else into the printer's queue. `dpi`, when not 0, is the resolution asked
  // of the printer. Nothing when the printer or the document cannot be started. `cancel` is
  // the event that ends the wait for the finished file in Finish.
  static std::unique_ptr<PrinterSurface> Open(const std::u16string& printer, const std::u16string& documentName,
                                              const std::u16string& outputFile, int dpi, HANDLE cancel);
  ~PrinterSurface() override;

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
  // Ends the document and, when it goes into a file, waits until the spooler has written it.
  bool Finish() override;
  void Abort() override;

 private:
  PrinterSurface(UniqueDc dc, std::u16string outputFile, HANDLE cancel);
  bool WaitForFile() const;

  UniqueDc dc_;
  std::u16string outputFile_;
  HANDLE cancel_;
  PageGeometry geometry_;
  std::vector<Font> fonts_;  // font k is fonts_[k - 1]
  bool open_ = true;
};
