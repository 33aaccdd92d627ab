#include "settings/font_dialog_win.h"

#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

#include "common/handles_win.h"
#include "common/utf.h"
#include "common/visual_win.h"
#include "settings/preferences.h"
#include "settings/settings_hooks_win.h"
#include "settings/settings_win.h"
#include "ui/dialog_theme_win.h"
#include "ui/editor_win.h"
#include "ui/lexer_win.h"
#include "ui/margin_win.h"
#include "ui/menu_win.h"
#include "ui/messagebox_win.h"
#include "ui/shell_win.h"

namespace {
enum FontControl : int {
  IDC_FACE_FIELD = 201,
  IDC_FACES = 202,
  IDC_SIZE_FIELD = 203,
  IDC_SIZES = 204,
  IDC_FONT_BOLD = 205,
  IDC_FONT_ITALIC = 206,
  IDC_FONT_PREVIEW = 207,
  IDC_FONT_OK = 208,
  IDC_FONT_CANCEL = 209,
};
constexpr int kFontTemplate = 200;
constexpr size_t kFaceLimit = 64;

// The working selection while the dialog is open.
struct FontChoice {
  std::u16string face;
  int size = 11;
  bool bold = false, italic = false;
};
struct FontDialogState {
  FontChoice choice;
  Font preview;
};
FontDialogState* g_state = nullptr;

int PointsToHeight(HDC dc, int points) {
  return -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
}

Font FaceFont(HDC dc, const std::u16string& face, int points, bool bold, bool italic) {
  return Font(CreateFontW(PointsToHeight(dc, points), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE,
                          DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, W(face)));
}

int CALLBACK CollectFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM names) {
  const std::u16string name = U16(font->lfFaceName);
  if (ListableFace(name, (type & TRUETYPE_FONTTYPE) != 0))
    reinterpret_cast<std::set<std::u16string>*>(names)->insert(name);
  return 1;
}

void FillFaceList(HWND list) {
  std::set<std::u16string> names;  // each name once
  HDC dc = GetDC(list);
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(dc, &query, CollectFamily, reinterpret_cast<LPARAM>(&names), 0);
  ReleaseDC(list, dc);
  for (const std::u16string& name : names) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(name)));
}

std::u16string ItemText(HWND list, int index) {
  LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1, 0);
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  return U16(text.data());
}

// Selects entry `index` and shows it as the fourth visible entry.
void SelectShowing(HWND list, int index) {
  if (index < 0) return;
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(TopIndexShowing(index)), 0);
}

void SelectFace(HWND list, const std::u16string& face) {
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  std::vector<std::u16string> names;
  for (int i = 0; i < count; ++i) names.push_back(ItemText(list, i));
  SelectShowing(list, FindFaceIndex(names, face));
}

int SizeIndex(HWND list, int size) {
  const std::u16string text = DecimalText(static_cast<unsigned>(size));
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    if (ItemText(list, i) == text) return i;
  return -1;
}

void UpdateFontPreview(HWND dialog) {
  HWND preview = GetDlgItem(dialog, IDC_FONT_PREVIEW);
  HDC dc = GetDC(preview);
  const FontChoice& c = g_state->choice;
  Font font = FaceFont(dc, c.face, c.size, c.bold, c.italic);
  ReleaseDC(preview, dc);
  SendMessageW(preview, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  g_state->preview = std::move(font);  // the previous one goes now that the control no longer uses it
  InvalidateRect(preview, nullptr, TRUE);
}

void Initialise(HWND dialog) {
  ThemeDialog(dialog);
  const bool dark = GetColorPalette().isDark;
  SetExplorerStyle(dialog, dark);
  HWND faces = GetDlgItem(dialog, IDC_FACES), sizes = GetDlgItem(dialog, IDC_SIZES);
  SetExplorerStyle(faces, dark);
  SetExplorerStyle(sizes, dark);
  FillFaceList(faces);
  for (int size : kFontSizes)
    SendMessageW(sizes, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(DecimalText(static_cast<unsigned>(size)))));
  FontChoice& c = g_state->choice;
  c.face = g_live.fontName.substr(0, kFaceLimit);
  c.size = g_live.fontSize;
  c.bold = g_settings.fontBold != 0;
  c.italic = g_settings.fontItalic != 0;
  SelectFace(faces, c.face);
  SelectShowing(sizes, SizeIndex(sizes, c.size));
  SetDlgItemTextW(dialog, IDC_FACE_FIELD, W(c.face));
  SetDlgItemInt(dialog, IDC_SIZE_FIELD, static_cast<UINT>(c.size), FALSE);
  CheckDlgButton(dialog, IDC_FONT_BOLD, c.bold ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_FONT_ITALIC, c.italic ? BST_CHECKED : BST_UNCHECKED);
  UpdateFontPreview(dialog);
  CentreOverOwner(dialog);
  for (int id : {IDC_FACE_FIELD, IDC_SIZE_FIELD}) SuppressContextMenu(GetDlgItem(dialog, id));
  if (g_settingsHooks.dialogShown) g_settingsHooks.dialogShown(dialog);
}

// The chosen font on the editor: style 32, the base styles, the lexer's colours again, and
// the margin measured for the new digits.
void ApplyFontToEditor() {
  std::string face = EditorFontUtf8();
  Sci(SCI_STYLESETFONT, STYLE_DEFAULT, face.c_str());
  Sci(SCI_STYLESETSIZE, STYLE_DEFAULT, g_live.fontSize);
  Sci(SCI_STYLESETBOLD, STYLE_DEFAULT, g_settings.fontBold ? 1 : 0);
  Sci(SCI_STYLESETITALIC, STYLE_DEFAULT, g_settings.fontItalic ? 1 : 0);
  ApplyBaseStyles();
  ReapplyLexerStyles();
  RefreshLineNumberMargin();
  if (g_shell.editor) InvalidateRect(g_shell.editor, nullptr, TRUE);
}

void Confirm(HWND dialog) {
  const FontChoice& c = g_state->choice;
  if (c.face.empty()) return ShowSystemWarning(dialog, u"Please choose a font.");
  if (c.size < 1 || c.size > 144) return ShowSystemWarning(dialog, u"Font size must be between 1 and 144.");
  g_live.fontName = c.face;
  g_live.fontSize = c.size;
  g_settings.fontName.Set(c.face);
  g_settings.fontSize = c.size;
  g_settings.fontBold = c.bold ? 1 : 0;
  g_settings.fontItalic = c.italic ? 1 : 0;
  SaveSettings(g_settings);
  ApplyFontToEditor();
  EndDialog(dialog, 1);
}

void OnCommand(HWND dialog, int id, int code) {
  FontChoice& c = g_state->choice;
  switch (id) {
    case IDC_FACES:
      if (code == LBN_SELCHANGE) {
        HWND list = GetDlgItem(dialog, IDC_FACES);
        c.face = ItemText(list, static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0))).substr(0, kFaceLimit);
        SetDlgItemTextW(dialog, IDC_FACE_FIELD, W(c.face));
        UpdateFontPreview(dialog);
      }
      break;
    case IDC_SIZES:
      if (code == LBN_SELCHANGE) {
        HWND list = GetDlgItem(dialog, IDC_SIZES);
        std::u16string text = ItemText(list, static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)));
        if (std::optional<int> size = ParseFontSize(text)) c.size = *size;
        SetDlgItemTextW(dialog, IDC_SIZE_FIELD, W(text));
        UpdateFontPreview(dialog);
      }
      break;
    case IDC_SIZE_FIELD:
      if (code == EN_CHANGE) {
        wchar_t text[16] = {};
        GetDlgItemTextW(dialog, IDC_SIZE_FIELD, text, 16);
        if (std::optional<int> size = ParseFontSize(U16(text))) {
          c.size = *size;
          UpdateFontPreview(dialog);
          const int at = SizeIndex(GetDlgItem(dialog, IDC_SIZES), c.size);
          if (at >= 0) SendDlgItemMessageW(dialog, IDC_SIZES, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
        }
      }
      break;
    case IDC_FONT_BOLD:
    case IDC_FONT_ITALIC:
      (id == IDC_FONT_BOLD ? c.bold : c.italic) = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
      UpdateFontPreview(dialog);
      break;
    case IDOK:
    case IDC_FONT_OK:
      Confirm(dialog);
      break;
    case IDCANCEL:
    case IDC_FONT_CANCEL:
      EndDialog(dialog, 2);
      break;
  }
}

// Both lists: 18-pixel rows, the selected one in #0078D4 with white text, each face in itself.
void DrawListItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return;
  const ColorPalette& p = GetColorPalette();
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  Brush back(CreateSolidBrush(selected ? RGB(0x00, 0x78, 0xD4) : p.inputBack));
  FillRect(dc, &r, back.get());
  const std::u16string text = ItemText(item.hwndItem, static_cast<int>(item.itemID));
  Font face;
  if (item.CtlID == IDC_FACES) face = FaceFont(dc, text, 10, false, false);
  SelectionGuard font(dc, face ? face.get() : reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, selected ? RGB(0xFF, 0xFF, 0xFF) : p.editorText);
  RECT label{r.left + 6, r.top, r.right, r.bottom};
  DrawTextW(dc, W(text), -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

INT_PTR CALLBACK FontDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  INT_PTR coloured = 0;
  if (HandleDialogColours(dialog, msg, wParam, lParam, &coloured)) return coloured;
  switch (msg) {
    case WM_INITDIALOG:
      Initialise(dialog);
      return TRUE;
    case WM_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 18;
      return TRUE;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlType == ODT_LISTBOX) {
        DrawListItem(item);
      } else {
        DrawDialogButton(item);
      }
      return TRUE;
    }
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
  }
  return FALSE;
}
}  // namespace

bool ShowFontDialog(HWND parent) {
  if (g_shell.viewerMode) return false;
  FontDialogState state;
  FontDialogState* outer = std::exchange(g_state, &state);
  const bool accepted =
      DialogBoxParamW(g_shell.instance, MAKEINTRESOURCEW(kFontTemplate), parent, FontDialogProc, 0) == 1;
  g_state = outer;
  if (accepted && g_shell.mainWindow) {
    RECT rc;
    GetClientRect(g_shell.mainWindow, &rc);
    PostMessageW(g_shell.mainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
  }
  return accepted;
}
