#include "print/pdf_writer.h"

#include <zlib.h>

#include <cmath>
#include <cstdio>

std::string Deflate(std::string_view data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                static_cast<uLong>(data.size()), 6) != Z_OK)
    return {};
  out.resize(size);
  return out;
}

PdfWriter::PdfWriter(Sink sink) : sink_(std::move(sink)) {
  // The comment's bytes above 127 tell readers the file is binary.
  Put("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n");
}

bool PdfWriter::Put(std::string_view bytes) {
  if (failed_) return false;
  if (!sink_(bytes)) {
    failed_ = true;
    return false;
  }
  offset_ += bytes.size();
  return true;
}

int PdfWriter::Reserve() {
  offsets_.push_back(0);
  return static_cast<int>(offsets_.size());
}

bool PdfWriter::Object(int number, std::string_view body) {
  if (number < 1 || static_cast<size_t>(number) > offsets_.size() || offsets_[number - 1] != 0) {
    failed_ = true;  // unreserved, or written twice: the table would be wrong
    return false;
  }
  offsets_[number - 1] = offset_;
  std::string text = std::to_string(number) + " 0 obj\n";
  text += body;
  text += "\nendobj\n";
  return Put(text);
}

bool PdfWriter::Stream(int number, std::string_view entries, std::string_view data, bool compress) {
  std::string packed;
  if (compress) {
    packed = Deflate(data);
    if (packed.empty() && !data.empty()) compress = false;
  }
  std::string_view body = compress ? std::string_view(packed) : data;
  std::string head = "<<";
  head += entries;
  head += " /Length " + std::to_string(body.size());
  if (compress) head += " /Filter /FlateDecode";
  head += ">>\nstream\n";
  if (number < 1 || static_cast<size_t>(number) > offsets_.size() || offsets_[number - 1] != 0) {
    failed_ = true;
    return false;
  }
  offsets_[number - 1] = offset_;
  return Put(std::to_string(number) + " 0 obj\n" + head) && Put(body) && Put("\nendstream\nendobj\n");
}

bool PdfWriter::Finish(int catalog, int info) {
  for (uint64_t at : offsets_)
    if (at == 0) failed_ = true;  // a reserved object was never written
  if (failed_) return false;
  const uint64_t xref = offset_;
  std::string table = "xref\n0 " + std::to_string(offsets_.size() + 1) + "\n0000000000 65535 f \n";
  char line[24];
  for (uint64_t at : offsets_) {
    std::snprintf(line, sizeof line, "%010llu 00000 n \n", static_cast<unsigned long long>(at));
    table += line;
  }
  table += "trailer\n<< /Size " + std::to_string(offsets_.size() + 1) + " /Root " + std::to_string(catalog) + " 0 R";
  if (info) table += " /Info " + std::to_string(info) + " 0 R";
  table += " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return Put(table);
}

std::string PdfLiteral(std::string_view text) {
  std::string out = "(";
  for (char c : text) {
    if (c == '\\' || c == '(' || c == ')') out.push_back('\\');
    if (c == '\r') {
      out += "\\r";
      continue;
    }
    out.push_back(c);
  }
  out.push_back(')');
  return out;
}

std::string PdfNumber(double value) {
  if (!std::isfinite(value)) return "0";
  value = std::fmax(-1e9, std::fmin(1e9, value));
  char text[48];
  std::snprintf(text, sizeof text, "%.2f", value);
  std::string out(text);
  while (!out.empty() && out.back() == '0') out.pop_back();
  if (!out.empty() && out.back() == '.') out.pop_back();
  if (out == "-0" || out.empty()) out = "0";
  return out;
}
