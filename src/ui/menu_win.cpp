#include "ui/menu_win.h"

#include <commctrl.h>

#include <memory>
#include <vector>

#include "common/handles_win.h"
#include "settings/settings_win.h"
#include "settings/theme.h"

namespace {
struct MenuItemData {
  std::u16string text;
  std::u16string shortcut;
  bool isSeparator = false;
  bool disabled = false;
  bool checked = false;
  bool hasSubmenu = false;
};
// Records of the last context menu and of the last edit-field menu; each set lives until the
// next menu of its kind is built, so it outlives the menu's tracking.
std::vector<std::unique_ptr<MenuItemData>> g_menuItems;
std::vector<std::unique_ptr<MenuItemData>> g_editMenuItems;

bool Owns(const std::vector<std::unique_ptr<MenuItemData>>& items, ULONG_PTR data) {
  for (const auto& item : items)
    if (reinterpret_cast<ULONG_PTR>(item.get()) == data) return true;
  return false;
}

HFONT MenuFont(int weight) {
  return CreateFontW(-11, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI");
}

}  // namespace

bool ClipboardHasText() {
  return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
}

namespace {

HMENU BuildMenu(const std::vector<MenuEntry>& entries, std::vector<std::unique_ptr<MenuItemData>>& store,
                std::vector<HMENU>& submenus) {
  HMENU menu = CreatePopupMenu();
  for (const MenuEntry& e : entries) {
    auto data = std::make_unique<MenuItemData>();
    data->text = e.text;
    data->shortcut = e.shortcut;
    data->isSeparator = e.separator;
    data->disabled = e.disabled;
    data->checked = e.checked;
    data->hasSubmenu = !e.children.empty();
    UINT flags = MF_OWNERDRAW | (e.disabled ? MF_GRAYED : 0);
    UINT_PTR id = static_cast<UINT_PTR>(e.id);
    if (data->hasSubmenu) {
      HMENU sub = BuildMenu(e.children, store, submenus);
      submenus.push_back(sub);
      flags |= MF_POPUP;
      id = reinterpret_cast<UINT_PTR>(sub);
    }
    AppendMenuW(menu, flags, id, reinterpret_cast<LPCWSTR>(data.get()));
    store.push_back(std::move(data));
  }
  return menu;
}

void SetMenuBackground(HMENU menu, HBRUSH brush, bool applyToSubmenus) {
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_BACKGROUND | (applyToSubmenus ? MIM_APPLYTOSUBMENUS : 0);
  info.hbrBack = brush;
  SetMenuInfo(menu, &info);
}

bool Measure(MEASUREITEMSTRUCT* mi, int minimum) {
  const auto* data = reinterpret_cast<const MenuItemData*>(mi->itemData);
  if (data->isSeparator) {
    mi->itemHeight = 7;
    mi->itemWidth = static_cast<UINT>(minimum);
    return true;
  }
  HDC dc = GetDC(nullptr);
  Font font(MenuFont(FW_NORMAL));
  int tw = 0, sw = 0;
  {
    SelectionGuard select(dc, font.get());
    SIZE size{};
    GetTextExtentPoint32W(dc, W(data->text.c_str()), static_cast<int>(data->text.size()), &size);
    tw = size.cx;
    if (!data->shortcut.empty()) {
      GetTextExtentPoint32W(dc, W(data->shortcut.c_str()), static_cast<int>(data->shortcut.size()), &size);
      sw = size.cx;
    }
  }
  ReleaseDC(nullptr, dc);
  mi->itemHeight = 20;
  mi->itemWidth = static_cast<UINT>(MenuItemWidth(tw, sw, minimum));
  return true;
}

void Draw(const DRAWITEMSTRUCT* di, bool editMenu) {
  const auto* data = reinterpret_cast<const MenuItemData*>(di->itemData);
  const MenuColors& c = MenuColorsForTheme(g_live.themeId);
  HDC dc = di->hDC;
  RECT r = di->rcItem;
  Brush back(CreateSolidBrush(c.itemBack));
  FillRect(dc, &r, back.get());
  if (data->isSeparator) {
    Pen pen(CreatePen(PS_SOLID, 1, c.separator));
    SelectionGuard select(dc, pen.get());
    int y = (r.top + r.bottom) / 2;
    MoveToEx(dc, r.left + (editMenu ? 8 : 26), y, nullptr);
    LineTo(dc, r.right - 5, y);
    return;
  }
  const bool grayed = (di->itemState & ODS_GRAYED) != 0;
  const bool selected = (di->itemState & ODS_SELECTED) != 0 && !grayed;
  if (selected) {
    Brush highlight(CreateSolidBrush(c.highlightBack));
    SelectionGuard brush(dc, highlight.get());
    SelectionGuard pen(dc, GetStockObject(NULL_PEN));
    RoundRect(dc, r.left + 3, r.top + 1, r.right - 3 + 1, r.bottom - 1 + 1, 5, 5);
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, grayed ? c.disabledText : selected ? c.highlightText : c.itemText);
  if (data->checked && !editMenu) {
    Font bold(MenuFont(600));
    SelectionGuard select(dc, bold.get());
    RECT box{r.left + 5, r.top, r.left + 22, r.bottom};
    DrawTextW(dc, L"\u2713", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  Font font(MenuFont(FW_NORMAL));
  SelectionGuard select(dc, font.get());
  RECT label{r.left + 28, r.top, r.right - 8, r.bottom};
  DrawTextW(dc, W(data->text.c_str()), -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (!data->shortcut.empty()) {
    SetTextColor(dc, selected ? c.highlightText : c.disabledText);
    RECT keys{r.left + 28, r.top, r.right - 12, r.bottom};
    DrawTextW(dc, W(data->shortcut.c_str()), -1, &keys, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
}

struct EditHook {
  HWND owner;
};
// Marks an edit field that is already hooked.
const wchar_t kHookedProp[] = L"NorvoEditMenu";

LRESULT CALLBACK EditFieldProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR ref) {
  auto* hook = reinterpret_cast<EditHook*>(ref);
  switch (msg) {
    case WM_RBUTTONUP: {
      POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ClientToScreen(hwnd, &pt);
      ShowEditContextMenu(hwnd, hook->owner ? hook->owner : GetParent(hwnd), pt);
      return 0;
    }
    case WM_CONTEXTMENU: {
      POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (pt.x == -1 && pt.y == -1) {
        RECT rc;
        GetWindowRect(hwnd, &rc);
        pt = {rc.left + 4, rc.bottom};
      }
      ShowEditContextMenu(hwnd, hook->owner ? hook->owner : GetParent(hwnd), pt);
      return 0;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, EditFieldProc, id);
      RemovePropW(hwnd, kHookedProp);
      delete hook;
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}
}  // namespace

void TrackContextMenu(HWND owner, POINT screen, const std::vector<MenuEntry>& entries) {
  g_menuItems.clear();
  std::vector<HMENU> submenus;
  HMENU root = BuildMenu(entries, g_menuItems, submenus);
  Brush back(CreateSolidBrush(MenuColorsForTheme(g_live.themeId).itemBack));
  for (HMENU sub : submenus) SetMenuBackground(sub, back.get(), false);
  SetMenuBackground(root, back.get(), true);
  if (screen.x == -1 && screen.y == -1) GetCursorPos(&screen);
  TrackPopupMenu(root, TPM_VERTICAL | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
  DestroyMenu(root);  // destroys the submenus with it
}

bool MeasureMenuItem(MEASUREITEMSTRUCT* mi) {
  if (mi->CtlType != ODT_MENU || !Owns(g_menuItems, mi->itemData)) return false;
  return Measure(mi, 190);
}

bool DrawMenuItem(const DRAWITEMSTRUCT* di) {
  if (di->CtlType != ODT_MENU || !Owns(g_menuItems, di->itemData)) return false;
  Draw(di, false);
  return true;
}

namespace {
LRESULT CALLBACK NoContextMenu(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (msg == WM_CONTEXTMENU || msg == WM_RBUTTONUP) return 0;
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, NoContextMenu, id);
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}
}  // namespace

void SuppressContextMenu(HWND control) {
  if (control) SetWindowSubclass(control, NoContextMenu, 1, 0);
}

void AttachEditContextMenu(HWND combo, HWND owner) {
  HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
  if (!edit) return;
  if (GetPropW(edit, kHookedProp)) return;  // already hooked
  auto* hook = new EditHook{owner};
  SetPropW(edit, kHookedProp, hook);
  SetWindowSubclass(edit, EditFieldProc, 1, reinterpret_cast<DWORD_PTR>(hook));
}

EditFieldState ReadEditFieldState(HWND edit) {
  EditFieldState s;
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  s.hasSelection = start != end;
  s.empty = GetWindowTextLengthW(edit) == 0;
  s.canUndo = SendMessageW(edit, EM_CANUNDO, 0, 0) != 0;
  s.clipboardHasText = ClipboardHasText();
  s.readOnly = (GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY) != 0;
  return s;
}

void ShowEditContextMenu(HWND edit, HWND owner, POINT screen) {
  g_editMenuItems.clear();
  std::vector<HMENU> submenus;
  HMENU menu = BuildMenu(BuildEditFieldMenu(ReadEditFieldState(edit)), g_editMenuItems, submenus);
  Brush back(CreateSolidBrush(MenuColorsForTheme(g_live.themeId).itemBack));
  SetMenuBackground(menu, back.get(), false);
  int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
  DestroyMenu(menu);
  g_editMenuItems.clear();
  static const UINT kActions[] = {0, WM_UNDO, WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR};
  if (chosen >= 1 && chosen <= 5) {
    SendMessageW(edit, kActions[chosen], 0, 0);
  } else if (chosen == 6) {
    SendMessageW(edit, EM_SETSEL, 0, -1);
  }
  if (chosen) SetFocus(edit);
}

bool MeasureEditMenuItem(MEASUREITEMSTRUCT* mi) {
  if (mi->CtlType != ODT_MENU || !Owns(g_editMenuItems, mi->itemData)) return false;
  return Measure(mi, 160);
}

bool DrawEditMenuItem(const DRAWITEMSTRUCT* di) {
  if (di->CtlType != ODT_MENU || !Owns(g_editMenuItems, di->itemData)) return false;
  Draw(di, true);
  return true;
}
