// Writing a PDF file front to back: numbered objects and streams go to a sink as they are
// made, their offsets are kept, and Finish writes the cross-reference table and the trailer.
// Pages can therefore be written one by one while memory stays flat.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Flate (zlib) compression of a stream's data.
std::string Deflate(std::string_view data);

class PdfWriter {
 public:
  // Takes the bytes in order; false when they could not be written (the writer then stops).
  using Sink = std::function<bool(std::string_view)>;
  explicit PdfWriter(Sink sink);

  // A new object number, to refer to an object before it is written.
  int Reserve();
  // "n 0 obj <body> endobj"; every reserved number must be written once before Finish.
  bool Object(int number, std::string_view body);
  // A stream object: `entries` go into its dictionary (without /Length and /Filter).
  bool Stream(int number, std::string_view entries, std::string_view data, bool compress = true);
  // The cross-reference table, the trailer naming the catalog (and the info dictionary when
  // not 0), and the end of the file.
  bool Finish(int catalog, int info = 0);

  bool Failed() const { return failed_; }
  uint64_t BytesWritten() const { return offset_; }

 private:
  bool Put(std::string_view bytes);
  Sink sink_;
  uint64_t offset_ = 0;
  bool failed_ = false;
  std::vector<uint64_t> offsets_;  // by object number - 1; 0 while not written
};

// A PDF string literal: parentheses around the text, with \, ( and ) escaped.
std::string PdfLiteral(std::string_view text);
// A number as PDF writes it: at most two decimals, no exponent, no trailing zeros.
std::string PdfNumber(double value);
