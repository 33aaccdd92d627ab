// Pages drawn on a printer's device context with GDI text and pens.
#include "common/win.h"  // before the other system headers

#include "print/printer_surface_win.h"

#include <winspool.h>

#include <string>
#include <utility>
#include <vector>

void PrinterCloser::operator()(HANDLE printer) const { ClosePrinter(printer); }

namespace {

// The printer's own defaults with the resolution changed; empty when they cannot be read.
std::vector<BYTE> DevModeWithResolution(const std::u16string& printer, int dpi) {
  HANDLE opened = nullptr;
  std::u16string name = printer;
  if (!OpenPrinterW(W(name.data()), &opened, nullptr)) return {};
  UniquePrinter owner(opened);
  const LONG size = DocumentPropertiesW(nullptr, opened, W(name.data()), nullptr, nullptr, 0);
  if (size < static_cast<LONG>(sizeof(DEVMODEW))) return {};
  std::vector<BYTE> bytes(static_cast<size_t>(size));
  auto* mode = reinterpret_cast<DEVMODEW*>(bytes.data());
  if (DocumentPropertiesW(nullptr, opened, W(name.data()), mode, nullptr, DM_OUT_BUFFER) != IDOK) return {};
  mode->dmPrintQuality = static_cast<short>(dpi);
  mode->dmYResolution = static_cast<short>(dpi);
  mode->dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
  return bytes;
}

// The file is whole once the spooler has closed it: it opens without sharing and is not empty.
bool FileWritten(const std::u16string& path) {
  UniqueHandle file(CreateFileW(W(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  return file && GetFileSizeEx(file.get(), &size) && size.QuadPart > 0;
}

}  // namespace

bool PrinterInstalled(const std::u16string& printer) {
  HANDLE opened = nullptr;
  std::u16string name = printer;
  if (name.empty() || !OpenPrinterW(W(name.data()), &opened, nullptr)) return false;
  UniquePrinter owner(opened);
  return true;
}

std::unique_ptr<PrinterSurface> PrinterSurface::Open(const std::u16string& printer, const std::u16string& documentName,
                                                     const std::u16string& outputFile, int dpi, HANDLE cancel) {
  std::vector<BYTE> mode = dpi ? DevModeWithResolution(printer, dpi) : std::vector<BYTE>();
  UniqueDc dc(CreateDCW(L"WINSPOOL", W(printer), nullptr,
                        mode.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(mode.data())));
  if (!dc) return nullptr;
  DOCINFOW info{};
  info.cbSize = sizeof info;
  info.lpszDocName = W(documentName);
  info.lpszOutput = outputFile.empty() ? nullptr : W(outputFile);
  if (StartDocW(dc.get(), &info) <= 0) return nullptr;
  return std::unique_ptr<PrinterSurface>(new PrinterSurface(std::move(dc), outputFile, cancel));
}

PrinterSurface::PrinterSurface(UniqueDc dc, std::u16string outputFile, HANDLE cancel)
    : dc_(std::move(dc)), outputFile_(std::move(outputFile)), cancel_(cancel) {
  HDC printer = dc_.get();
  geometry_.dpiX = GetDeviceCaps(printer, LOGPIXELSX);
  geometry_.dpiY = GetDeviceCaps(printer, LOGPIXELSY);
  geometry_.width = GetDeviceCaps(printer, PHYSICALWIDTH);
  geometry_.height = GetDeviceCaps(printer, PHYSICALHEIGHT);
  geometry_.offsetX = GetDeviceCaps(printer, PHYSICALOFFSETX);
  geometry_.offsetY = GetDeviceCaps(printer, PHYSICALOFFSETY);
  SetBkMode(printer, TRANSPARENT);
}

PrinterSurface::~PrinterSurface() {
  Abort();
  SelectObject(dc_.get(), GetStockObject(SYSTEM_FONT));  // the fonts go before the context
}

bool PrinterSurface::StartPage() { return ::StartPage(dc_.get()) > 0; }

bool PrinterSurface::EndPage() { return ::EndPage(dc_.get()) > 0; }

int PrinterSurface::MakeFont(const FontRequest& r) {
  Font font(CreateFontW(r.height, 0, 0, 0, r.bold ? FW_BOLD : FW_NORMAL, r.italic, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_OUTLINE_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, r.fixedPitch ? FIXED_PITCH : DEFAULT_PITCH,
                        W(r.face)));
  if (!font) return 0;
  fonts_.push_back(std::move(font));
  return static_cast<int>(fonts_.size());
}

void PrinterSurface::SelectFont(int font) {
  if (font >= 1 && font <= static_cast<int>(fonts_.size())) SelectObject(dc_.get(), fonts_[static_cast<size_t>(font - 1)].get());
}

int PrinterSurface::TextHeight() {
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc_.get(), &metrics);
  return metrics.tmHeight;
}

int PrinterSurface::Ascent() {
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc_.get(), &metrics);
  return metrics.tmAscent;
}

int PrinterSurface::Measure(std::u16string_view text) {
  SIZE size{};
  GetTextExtentPoint32W(dc_.get(), W(text.data()), static_cast<int>(text.size()), &size);
  return size.cx;
}

void PrinterSurface::SetTextColour(uint32_t colorref) { SetTextColor(dc_.get(), colorref); }

void PrinterSurface::PlaceText(int x, int y, std::u16string_view text) {
  TextOutW(dc_.get(), x, y, W(text.data()), static_cast<int>(text.size()));
}

void PrinterSurface::DrawLine(int x1, int y1, int x2, int y2, int width, uint32_t colorref) {
  Pen pen(CreatePen(PS_SOLID, width, colorref));
  SelectionGuard selected(dc_.get(), pen.get());
  MoveToEx(dc_.get(), x1, y1, nullptr);
  LineTo(dc_.get(), x2, y2);
}

bool PrinterSurface::Finish() {
  if (!open_) return false;
  open_ = false;
  if (EndDoc(dc_.get()) <= 0) return false;
  return outputFile_.empty() || WaitForFile();
}

void PrinterSurface::Abort() {
  if (!open_) return;
  open_ = false;
  AbortDoc(dc_.get());
}

// The spooler may still be writing the file after EndDoc: it is waited for (Cancel ends the
// wait), at most two minutes.
bool PrinterSurface::WaitForFile() const {
  for (int waited = 0; waited < 120'000; waited += 100) {
    if (FileWritten(outputFile_)) return true;
    if (cancel_ && WaitForSingleObject(cancel_, 100) == WAIT_OBJECT_0) return false;
    if (!cancel_) Sleep(100);
  }
  return false;
}
