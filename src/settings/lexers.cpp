#include "settings/lexers.h"

#include <algorithm>

std::u16string GetFileExtension(std::u16string_view path) {
  size_t dot = path.rfind(u'.');
  if (dot == std::u16string_view::npos) return {};
  std::u16string ext(path.substr(dot + 1));
  for (char16_t& c : ext)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  return ext;
}

namespace {
struct ExtensionRow {
  const char16_t* ext;
  int kind;
};
const ExtensionRow kExtensions[] = {
    {u"c", kLexerCpp},        {u"cpp", kLexerCpp},       {u"cxx", kLexerCpp},   {u"cc", kLexerCpp},
    {u"h", kLexerCpp},        {u"hpp", kLexerCpp},       {u"hxx", kLexerCpp},   {u"cs", kLexerCpp},
    {u"js", kLexerCpp},       {u"ts", kLexerCpp},        {u"jsx", kLexerCpp},   {u"tsx", kLexerCpp},
    {u"py", kLexerPython},    {u"pyw", kLexerPython},    {u"pyi", kLexerPython}, {u"html", kLexerHtml},
    {u"htm", kLexerHtml},     {u"php", kLexerHtml},      {u"asp", kLexerHtml},  {u"aspx", kLexerHtml},
    {u"xml", kLexerXml},      {u"xaml", kLexerXml},      {u"svg", kLexerXml},   {u"xsl", kLexerXml},
    {u"xslt", kLexerXml},     {u"xsd", kLexerXml},       {u"json", kLexerJson}, {u"jsonc", kLexerJson},
    {u"css", kLexerCss},      {u"scss", kLexerCss},      {u"less", kLexerCss},  {u"bat", kLexerBatch},
    {u"cmd", kLexerBatch},    {u"lua", kLexerLua},       {u"md", kLexerMarkdown}, {u"markdown", kLexerMarkdown},
    {u"sql", kLexerSql},
};
}  // namespace

int LexerForPath(std::u16string_view path) {
  std::u16string ext = GetFileExtension(path);
  for (const ExtensionRow& row : kExtensions)
    if (ext == row.ext) return row.kind;
  return kLexerNull;
}

const char* LexerName(int kind) {
  switch (kind) {
    case kLexerCpp: return "cpp";
    case kLexerPython: return "python";
    case kLexerHtml: return "hypertext";
    case kLexerXml: return "xml";
    case kLexerJson: return "json";
    case kLexerCss: return "css";
    case kLexerBatch: return "batch";
    case kLexerLua: return "lua";
    case kLexerMarkdown: return "markdown";
    case kLexerSql: return "sql";
    default: return "null";
  }
}

uint32_t MarkdownCodeBackground(uint32_t editorBack, bool dark) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    int channel = static_cast<int>((editorBack >> shift) & 0xFF) + (dark ? 18 : -14);
    out |= static_cast<uint32_t>(std::clamp(channel, 0, 255)) << shift;
  }
  return out;
}

uint32_t ResolveColor(ColorRole role, const ColorPalette& p) {
  switch (role) {
    case ColorRole::EditorText: return p.editorText;
    case ColorRole::EditorBack: return p.editorBack;
    case ColorRole::Keyword: return p.syntax.keyword;
    case ColorRole::Comment: return p.syntax.comment;
    case ColorRole::String: return p.syntax.string;
    case ColorRole::Number: return p.syntax.number;
    case ColorRole::Preprocessor: return p.syntax.preprocessor;
    case ColorRole::Operator: return p.syntax.op;
    case ColorRole::MutedText: return p.mutedText;
    case ColorRole::CodeBack: return MarkdownCodeBackground(p.editorBack, p.isDark);
  }
  return p.editorText;
}
