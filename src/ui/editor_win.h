// The edit control: calls through Scintilla's direct function, its base look, the
// per-document settings, and the subclass that adjusts mouse and scroll-bar behaviour.
#pragma once
#include <Scintilla.h>

#include <cstdint>
#include <string>

#include "common/win.h"

// Binds the helpers below to an edit control (and unbinds with null).
void BindEditor(HWND editor);
// Sends a message to the bound edit control; 0 when none is bound.
sptr_t Sci(unsigned int message, uptr_t wParam = 0, sptr_t lParam = 0);
template <typename T>
sptr_t Sci(unsigned int message, uptr_t wParam, const T* lParam) {
  return Sci(message, wParam, reinterpret_cast<sptr_t>(lParam));
}

// The base configuration, applied once when the control is created.
void ApplyEditorLook();

// Font face, size and colours of the default style (style 32) from the live theme and font.
void SetDefaultStyleFontAndColours();
// Font, size and colours of the default style, copied to every style; the line-number style.
void ApplyBaseStyles();

// Settings that belong to the control's document rather than its view (code page, tabs,
// indentation); re-applied after every document swap.
void ApplyDocumentSettings();

// Replaces the edit control's document by a fresh one that is filled piece by piece.
// Until Commit, Rollback puts the previous document back untouched. Loading is not an
// edit: no modification notices and no undo history are produced.
class DocumentSwap {
 public:
  DocumentSwap() = default;
  DocumentSwap(const DocumentSwap&) = delete;
  DocumentSwap& operator=(const DocumentSwap&) = delete;
  ~DocumentSwap();  // rolls back when neither Commit nor Rollback was called

  // Makes a fresh document with room for about `capacity` bytes the current one.
  bool Begin(size_t capacity);
  // Appends bytes (any, zeros included); false when the control ran out of memory.
  bool Append(const char* text, size_t length);
  // Keeps the new document: empty undo history, caret at the start.
  void Commit();
  // Puts the previous document back.
  void Rollback();

 private:
  void Finish();
  sptr_t old_ = 0;
  sptr_t oldAnchor_ = 0, oldCaret_ = 0, oldFirstLine_ = 0;
  int eventMask_ = 0;
  bool active_ = false;
};

// Replaces the document with a fresh one holding `text` (any bytes, zeros included)
// and an empty undo history; the caret goes to the start. When the control cannot take
// the text (out of memory), the previous document stays and false is returned.
bool SetDocumentText(const char* text, size_t length);
inline bool SetDocumentText(const std::string& text) { return SetDocumentText(text.data(), text.size()); }

// Clears one indicator over the whole document.
void ClearIndicator(int indicator);
// Gives a search indicator its look: a rounded box of `colour` with `alpha`, under the text.
// Every change of a look makes the control lay out the whole document again (seconds for a
// large wrapped one), so a look is only set when it differs from the one in force.
void SetSearchIndicatorLook(int indicator, COLORREF colour, int alpha);

// The whole text as UTF-8.
std::string GetDocumentText();
// A number that changes whenever the document's text may have changed (every insertion and
// deletion, every swap of the document): equal numbers mean an unchanged text.
uint64_t DocumentVersion();
void NoteDocumentChange();
// The selected text as UTF-8; a rectangular selection gives its lines, each followed by a line end.
std::string GetSelectedText();

// Installs the editor subclass (viewer cursor, dark scroll bars, clicks).
void SubclassEditor(HWND editor);

// An editor colour from a COLORREF.
inline sptr_t Colour(uint32_t colorref) { return static_cast<sptr_t>(colorref); }
