#include "document/document_win.h"

#include <algorithm>
#include <memory>
#include <new>

#include "app/editor_win.h"
#include "app/messagebox_win.h"
#include "app/shell_win.h"
#include "app/toolbar_win.h"
#include "app/viewer_win.h"
#include "search/find_win.h"
#include "settings/lexer_win.h"
#include "settings/margin_win.h"
#include "common/trace_win.h"
#include "common/utf.h"

DocumentState g_doc;
FileLoadHooks g_fileLoadHooks;

namespace {
const std::u16string kErrorHyphen = u"Norvo - Error";
const std::u16string kErrorDash = u"Norvo \u2014 Error";

std::u16string Limit(std::u16string text) {
  if (text.size() > 511) text.resize(511);
  return text;
}

void ShowOpenError(HWND owner, DWORD code, const std::u16string& path) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      ShowMessageBox(owner, Ok, kErrorHyphen, Limit(u"File not found (error " + DecimalText(code) + u").\n\n" + path));
      return;
    case ERROR_ACCESS_DENIED:
      ShowMessageBox(owner, Ok, kErrorHyphen,
                     Limit(u"Access denied (error " + DecimalText(code) +
                           u").\n\nThe file may be read-only, protected by the system,\nor your account lacks "
                           u"permission to open it."));
      return;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      ShowMessageBox(owner, Ok, kErrorHyphen, u"Not enough memory to open this file.");
      return;
    case ERROR_SHARING_VIOLATION:
      Trace("Norvo: File sharing violation\n");
      ShowMessageBox(owner, Ok, kErrorHyphen, u"File is already open by another program.\nPlease close it first.");
      return;
    default:
      ShowMessageBox(owner, Ok, kErrorDash, Limit(u"Cannot open file (error " + DecimalText(code) + u").\n\n" + path));
  }
}

// Files stream through a buffer of this size.
constexpr DWORD kReadPiece = 4u << 20;

bool ReadExactly(HANDLE file, unsigned char* buffer, DWORD count) {
  DWORD total = 0;
  while (total < count) {
    DWORD got = 0;
    if (!g_fileLoadHooks.readFile(file, buffer + total, count - total, &got, nullptr) || got == 0) return false;
    total += got;
  }
  return true;
}

void ShowOutOfMemory(HWND owner) {
  Trace("Norvo: ERROR - Not enough memory\n");
  ShowMessageBox(owner, Ok, kErrorHyphen, u"Not enough memory to open this file.");
}

// Text from the system's active code page.
std::string AnsiToUtf8(const unsigned char* bytes, size_t size) {
  if (size == 0) return {};
  int units = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(size), nullptr, 0);
  if (units <= 0) return {};
  std::u16string wide(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(size), W(wide.data()), units);
  return Utf16ToUtf8(wide);
}
}  // namespace

bool FileLoad(HWND owner, const std::u16string& path) {
  Trace("Norvo: FileLoad called for: %s\n", Utf16ToUtf8(path).c_str());
  if (g_doc.fileHandle) {
    Trace("Norvo: Closing previous locked file handle\n");
    g_doc.fileHandle.reset();
  }

  Trace("Norvo: Opening file with CreateFileW\n");
  // The viewer never writes: it asks for reading only, with the same sharing.
  const bool viewer = g_shell.viewerMode;
  UniqueHandle file(g_fileLoadHooks.createFile(W(path), viewer ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD error = file ? ERROR_SUCCESS : GetLastError();
  bool readOnly = viewer;
  if (!file && error == ERROR_ACCESS_DENIED && !viewer) {
    Trace("Norvo: Write access denied, retrying read-only\n");
    file.reset(g_fileLoadHooks.createFile(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    error = file ? ERROR_SUCCESS : GetLastError();
    readOnly = true;
  }
  if (!file) {
    Trace("Norvo: ERROR - Failed to open file, error code: %lu\n", static_cast<unsigned long>(error));
    ShowOpenError(owner, error, path);
    return false;
  }

  Trace("Norvo: File opened successfully\n");
  Trace("Norvo: Getting file size\n");
  LARGE_INTEGER fileSize{};
  // The loader reads with one 32-bit count: 4 GiB and more is refused rather than read short.
  if (!GetFileSizeEx(file.get(), &fileSize) || fileSize.QuadPart < 0 || fileSize.QuadPart >= 0xFFFFFFFFLL) {
    Trace("Norvo: ERROR - Cannot get file size\n");
    ShowMessageBox(owner, Ok, kErrorDash, u"Cannot get file size.");
    return false;
  }
  DWORD size = static_cast<DWORD>(fileSize.QuadPart);
  Trace("Norvo: File size: %lu bytes\n", static_cast<unsigned long>(size));

  Trace("Norvo: Reading file into memory\n");
  // The file streams through one reused buffer into a fresh, pre-sized document, so the
  // text is held once, in the control; the first piece decides binary and encoding.
  const DWORD pieceSize = std::min<DWORD>(size, kReadPiece);
  std::unique_ptr<unsigned char[]> piece(new (std::nothrow) unsigned char[pieceSize ? pieceSize : 1]);
  if (!piece) {
    ShowOutOfMemory(owner);
    return false;
  }
  if (!ReadExactly(file.get(), piece.get(), pieceSize)) {
    Trace("Norvo: ERROR - Cannot read file\n");
    ShowMessageBox(owner, Ok, kErrorDash, u"Cannot read file.");
    return false;
  }
  Trace("Norvo: File read successfully\n");

  Trace("Norvo: Checking for binary content\n");
  if (LooksBinary(piece.get(), pieceSize)) {
    Trace("Norvo: ERROR - Binary file detected\n");
    ShowMessageBox(owner, Ok, u"Norvo \u2014 Cannot Open",
                   u"This file appears to be a binary file and cannot be opened as text.");
    return false;
  }
  Trace("Norvo: File appears to be text\n");

  Trace("Norvo: Detecting encoding\n");
  DetectedEncoding detected = DetectEncoding(piece.get(), pieceSize);
  Trace("Norvo: Encoding detected: %s, BOM size: %zu\n", EncodingName(detected.encoding), detected.bomSize);

  Trace("Norvo: Converting to UTF-8\n");
  const bool utf16 = detected.encoding == TextEncoding::Utf16Le || detected.encoding == TextEncoding::Utf16Be;
  switch (detected.encoding) {
    case TextEncoding::Utf8Bom:
    case TextEncoding::Utf8: Trace("Norvo: File is UTF-8 (with or without BOM)\n"); break;
    case TextEncoding::Utf16Le: Trace("Norvo: File is UTF-16 LE, converting\n"); break;
    case TextEncoding::Utf16Be: Trace("Norvo: File is UTF-16 BE, converting\n"); break;
    case TextEncoding::Ansi: Trace("Norvo: File is ANSI, converting\n"); break;
  }

  const size_t body = size - detected.bomSize;
  DocumentSwap swap;
  if (!swap.Begin(utf16 ? body / 2 : body)) {
    ShowOutOfMemory(owner);
    return false;
  }
  LineEndScan lineEnds;
  size_t utf8Size = 0;
  Utf16ChunkDecoder decoder(detected.encoding == TextEncoding::Utf16Be);
  std::string converted;
  std::string ansi;  // the active code page is converted whole: its characters may span pieces
  bool ok = true;
  auto append = [&](const char* text, size_t length) {
    lineEnds.Scan(text, length);
    utf8Size += length;
    return swap.Append(text, length);
  };
  DWORD readSoFar = pieceSize;
  DWORD length = pieceSize;  // bytes in the piece buffer
  size_t skip = detected.bomSize;
  bool readFailed = false;
  try {
    for (;;) {
      const unsigned char* bytes = piece.get() + skip;
      const size_t count = length - skip;
      const bool last = readSoFar == size;
      switch (detected.encoding) {
        case TextEncoding::Utf8Bom:
        case TextEncoding::Utf8: ok = append(reinterpret_cast<const char*>(bytes), count); break;
        case TextEncoding::Utf16Le:
        case TextEncoding::Utf16Be:
          decoder.Feed(bytes, count, last, converted);
          ok = append(converted.data(), converted.size());
          break;
        case TextEncoding::Ansi:
          ansi.append(reinterpret_cast<const char*>(bytes), count);
          if (last) {
            converted = AnsiToUtf8(reinterpret_cast<const unsigned char*>(ansi.data()), ansi.size());
            ok = append(converted.data(), converted.size());
          }
          break;
      }
      if (!ok || last) break;
      skip = 0;
      length = std::min<DWORD>(pieceSize, size - readSoFar);
      if (!ReadExactly(file.get(), piece.get(), length)) {
        readFailed = true;
        break;
      }
      readSoFar += length;
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (readFailed) {
    swap.Rollback();
    Trace("Norvo: ERROR - Cannot read file\n");
    ShowMessageBox(owner, Ok, kErrorDash, u"Cannot read file.");
    return false;
  }
  if (!ok) {
    swap.Rollback();
    ShowOutOfMemory(owner);
    return false;
  }
  Trace("Norvo: UTF-8 size: %zu bytes\n", utf8Size);
  Trace("Norvo: Freeing raw buffer\n");
  piece.reset();
  std::string().swap(converted);
  std::string().swap(ansi);

  Trace("Norvo: Detecting EOL mode\n");
  const int eol = lineEnds.Mode();
  switch (eol) {
    case EolCrLf: Trace("Norvo: EOL mode: CRLF (Windows)\n"); break;
    case EolCr: Trace("Norvo: EOL mode: CR (Old Mac)\n"); break;
    case EolLf: Trace("Norvo: EOL mode: LF (Unix)\n"); break;
    default:
      if (utf8Size > 0) Trace("Norvo: EOL mode: none detected\n");
  }

  Trace("Norvo: Setting text in Scintilla\n");
  swap.Commit();
  InvalidateSearchCache();  // the swap sends no change notices: the cached matches were the old text's
  if (eol >= 0) Sci(SCI_SETEOLMODE, eol);
  Trace("Norvo: Text set in Scintilla\n");

  g_doc.encoding = detected.encoding;
  g_doc.fileHandle = std::move(file);
  g_doc.readOnly = readOnly;

  Trace("Norvo: Updating margin width\n");
  RefreshLineNumberMargin();
  if (g_shell.viewerMode) {
    Trace("Norvo: Viewer mode - applying viewer theme\n");
    Sci(SCI_SETREADONLY, 1);
    ApplyViewerLook(g_shell.mainWindow);
  } else {
    Trace("Norvo: Normal mode - applying syntax highlighting\n");
    SetupLexer(path);
    UpdateToolbar();
    ClearSearchIndicators();
  }
  Trace("Norvo: FileLoad completed successfully\n");
  return true;
}
