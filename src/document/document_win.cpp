#include "document/document_hooks_win.h"
#include "document/document_win.h"

#include <algorithm>
#include <memory>
#include <new>

#include "common/trace_win.h"
#include "common/utf.h"
#include "document/text_decoder.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"
#include "ui/shell_win.h"

DocumentState g_doc;
DocumentHooks g_documentHooks;

namespace {
DocumentHook g_documentHook = nullptr;
}  // namespace

void SetDocumentHook(DocumentHook hook) {
  g_documentHook = hook;
}
void NotifyDocument(DocumentEvent event, const std::u16string& path) {
  if (g_documentHook) g_documentHook(event, path);
}

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
    if (!g_documentHooks.readFile(file, buffer + total, count - total, &got, nullptr) || got == 0) return false;
    total += got;
  }
  return true;
}

void ShowOutOfMemory(HWND owner) {
  Trace("Norvo: ERROR - Not enough memory\n");
  ShowMessageBox(owner, Ok, kErrorHyphen, u"Not enough memory to open this file.");
}

// Text from the system's active code page.
std::string AnsiToUtf8(std::string_view bytes) {
  if (bytes.empty()) return {};
  int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (units <= 0) return {};
  std::u16string wide(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), W(wide.data()), units);
  return Utf16ToUtf8(wide);
}

// Opens the file to load, locked against other writers: for reading and writing, or for
// reading where writing is denied (and always in the viewer). Shows the failure itself.
UniqueHandle OpenToLoad(HWND owner, const std::u16string& path, bool* readOnly) {
  Trace("Norvo: Opening file with CreateFileW\n");
  // The viewer never writes: it asks for reading only, with the same sharing.
  const bool viewer = g_shell.viewerMode;
  UniqueHandle file(g_documentHooks.openForLoad(W(path), viewer ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                               nullptr));
  DWORD error = file ? ERROR_SUCCESS : GetLastError();
  *readOnly = viewer;
  if (!file && error == ERROR_ACCESS_DENIED && !viewer) {
    Trace("Norvo: Write access denied, retrying read-only\n");
    file.reset(g_documentHooks.openForLoad(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    error = file ? ERROR_SUCCESS : GetLastError();
    *readOnly = true;
  }
  if (!file) {
    Trace("Norvo: ERROR - Failed to open file, error code: %lu\n", static_cast<unsigned long>(error));
    ShowOpenError(owner, error, path);
    return UniqueHandle();
  }
  Trace("Norvo: File opened successfully\n");
  return file;
}

// The size of the file, below 4 GiB (the loader reads with one 32-bit count, so a larger file
// is refused rather than read short).
bool SizeToLoad(HWND owner, HANDLE file, DWORD* size) {
  Trace("Norvo: Getting file size\n");
  LARGE_INTEGER fileSize{};
  if (!GetFileSizeEx(file, &fileSize) || fileSize.QuadPart < 0 || fileSize.QuadPart >= 0xFFFFFFFFLL) {
    Trace("Norvo: ERROR - Cannot get file size\n");
    ShowMessageBox(owner, Ok, kErrorDash, u"Cannot get file size.");
    return false;
  }
  *size = static_cast<DWORD>(fileSize.QuadPart);
  Trace("Norvo: File size: %lu bytes\n", static_cast<unsigned long>(*size));
  return true;
}

void CannotRead(HWND owner) {
  Trace("Norvo: ERROR - Cannot read file\n");
  ShowMessageBox(owner, Ok, kErrorDash, u"Cannot read file.");
}

// The encoding of the first piece, or false (after the message) for a binary file.
bool TextEncodingOf(HWND owner, const unsigned char* piece, DWORD size, DetectedEncoding* detected) {
  Trace("Norvo: Checking for binary content\n");
  if (LooksBinary(piece, size)) {
    Trace("Norvo: ERROR - Binary file detected\n");
    ShowMessageBox(owner, Ok, u"Norvo \u2014 Cannot Open",
                   u"This file appears to be a binary file and cannot be opened as text.");
    return false;
  }
  Trace("Norvo: File appears to be text\n");
  Trace("Norvo: Detecting encoding\n");
  *detected = DetectEncoding(piece, size);
  Trace("Norvo: Encoding detected: %s, BOM size: %zu\n", EncodingName(detected->encoding), detected->bomSize);
  Trace("Norvo: Converting to UTF-8\n");
  switch (detected->encoding) {
    case TextEncoding::Utf8Bom:
    case TextEncoding::Utf8:
      Trace("Norvo: File is UTF-8 (with or without BOM)\n");
      break;
    case TextEncoding::Utf16Le:
      Trace("Norvo: File is UTF-16 LE, converting\n");
      break;
    case TextEncoding::Utf16Be:
      Trace("Norvo: File is UTF-16 BE, converting\n");
      break;
    case TextEncoding::Ansi:
      Trace("Norvo: File is ANSI, converting\n");
      break;
  }
  return true;
}

// Streams the file (its first piece already read) through the decoder into a fresh document,
// which is committed only when the whole file is in. Shows the failure itself.
bool DecodeIntoEditor(HWND owner, HANDLE file, DWORD size, std::unique_ptr<unsigned char[]> piece, DWORD pieceSize,
                      TextDecoder& decoder, size_t capacity) {
  DocumentSwap swap;
  if (!swap.Begin(capacity)) {
    ShowOutOfMemory(owner);
    return false;
  }
  DWORD readSoFar = pieceSize, length = pieceSize;
  try {
    for (;;) {
      const bool last = readSoFar == size;
      const std::string_view utf8 = decoder.Feed(piece.get(), length, last);
      if (!swap.Append(utf8.data(), utf8.size())) {
        swap.Rollback();
        ShowOutOfMemory(owner);
        return false;
      }
      if (last) break;
      length = std::min<DWORD>(pieceSize, size - readSoFar);
      if (!ReadExactly(file, piece.get(), length)) {
        swap.Rollback();
        CannotRead(owner);
        return false;
      }
      readSoFar += length;
    }
  } catch (const std::bad_alloc&) {
    swap.Rollback();
    ShowOutOfMemory(owner);
    return false;
  }
  Trace("Norvo: UTF-8 size: %zu bytes\n", decoder.Utf8Size());
  Trace("Norvo: Freeing raw buffer\n");
  piece.reset();
  Trace("Norvo: Detecting EOL mode\n");
  const int eol = decoder.LineEndMode();
  switch (eol) {
    case EolCrLf:
      Trace("Norvo: EOL mode: CRLF (Windows)\n");
      break;
    case EolCr:
      Trace("Norvo: EOL mode: CR (Old Mac)\n");
      break;
    case EolLf:
      Trace("Norvo: EOL mode: LF (Unix)\n");
      break;
    default:
      if (decoder.Utf8Size() > 0) Trace("Norvo: EOL mode: none detected\n");
  }
  Trace("Norvo: Setting text in Scintilla\n");
  swap.Commit();
  if (eol >= 0) Sci(SCI_SETEOLMODE, eol);
  Trace("Norvo: Text set in Scintilla\n");
  return true;
}

}  // namespace

bool FileLoad(HWND owner, const std::u16string& path) {
  Trace("Norvo: FileLoad called for: %s\n", Utf16ToUtf8(path).c_str());
  if (g_doc.fileHandle) {
    Trace("Norvo: Closing previous locked file handle\n");
    g_doc.fileHandle.reset();
  }
  bool readOnly = false;
  UniqueHandle file = OpenToLoad(owner, path, &readOnly);
  DWORD size = 0;
  if (!file || !SizeToLoad(owner, file.get(), &size)) return false;

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
    CannotRead(owner);
    return false;
  }
  Trace("Norvo: File read successfully\n");
  DetectedEncoding detected{};
  if (!TextEncodingOf(owner, piece.get(), pieceSize, &detected)) return false;

  const bool utf16 = detected.encoding == TextEncoding::Utf16Le || detected.encoding == TextEncoding::Utf16Be;
  const size_t body = size - detected.bomSize;
  TextDecoder decoder(detected, AnsiToUtf8);
  if (!DecodeIntoEditor(owner, file.get(), size, std::move(piece), pieceSize, decoder, utf16 ? body / 2 : body))
    return false;

  g_doc.encoding = detected.encoding;
  g_doc.fileHandle = std::move(file);
  g_doc.readOnly = readOnly;

  NotifyDocument(DocumentEvent::Loaded, path);
  Trace("Norvo: FileLoad completed successfully\n");
  return true;
}
