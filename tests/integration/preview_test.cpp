// Print Preview through the real pagination worker, progress window and preview window, and
// Page Setup's values through a seam for the system dialog.
#include "common/win.h"  // before the other system headers

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "common/messages.h"
#include "document/file_commands_win.h"
#include "export/export_hooks_win.h"
#include "export/export_win.h"
#include "harness.h"
#include "queue_win.h"
#include "print/preview_state_win.h"
#include "print/preview_win.h"
#include "print/print_layout.h"
#include "print/print_render_win.h"
#include "print/print_win.h"
#include "settings/settings_win.h"
#include "ui/shell_win.h"
#include "ui/theme_win.h"

namespace {

// Steps run one after another inside the preview's modal loop, one per timer tick.
std::vector<std::function<void(HWND)>> g_steps;
size_t g_nextStep = 0;
HWND g_preview = nullptr;
RECT g_openedAt{};

void CALLBACK RunStep(HWND, UINT, UINT_PTR timer, DWORD) {
  if (g_nextStep >= g_steps.size() || !IsWindow(g_preview)) {
    KillTimer(nullptr, timer);
    if (IsWindow(g_preview)) PostMessageW(g_preview, WM_CLOSE, 0, 0);  // a test never hangs on it
    return;
  }
  g_steps[g_nextStep++](g_preview);
}

void StartSteps(HWND preview) {
  g_preview = preview;
  GetWindowRect(preview, &g_openedAt);
  SetTimer(nullptr, 0, 30, RunStep);
}

const PreviewState& StateOf(HWND preview) {
  return *reinterpret_cast<const PreviewState*>(GetWindowLongPtrW(preview, DWLP_USER));
}

void Key(HWND preview, WPARAM key) { PostMessageW(preview, WM_KEYDOWN, key, 0); }

// A click on toolbar button i (0 Prev, 1 Next, 2 Print, 3 Close).
void Click(HWND preview, int i) {
  RECT client;
  GetClientRect(preview, &client);
  const int x = std::max(8, (static_cast<int>(client.right) - 360) / 2) + i * 92 + 42;
  PostMessageW(preview, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 22));
}

class Preview : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    g_steps.clear();
    g_nextStep = 0;
    g_preview = nullptr;
    g_previewHooks.shown = StartSteps;
    saved_ = g_settings;
    theme_ = g_live.themeId;
  }
  void TearDown() override {
    if (g_live.themeId != theme_) ApplyTheme(theme_);
    std::copy(saved_.pageMargins, saved_.pageMargins + 4, g_settings.pageMargins);
    g_settings.previewWidth = saved_.previewWidth;
    g_settings.previewHeight = saved_.previewHeight;
    SaveSettings(g_settings);
    g_previewHooks = PreviewHooks{};
    g_printHooks = PrintHooks{};
    g_exportHooks.progressWindow = nullptr;
    MainWindowTest::TearDown();
  }
  // Short lines that fit on one row: a page holds as many as their heights allow.
  int ExpectedPages(int lines) {
    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    Font font(CreateFontW(-MulDiv(g_live.fontSize, dpiY, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS,
                          CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, W(g_live.fontName)));
    HGDIOBJ old = SelectObject(screen, font.get());
    TEXTMETRICW tm{};
    GetTextMetricsW(screen, &tm);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    const PageLayout page = PreviewPageLayout(dpiX, dpiY, g_settings.pageMargins, g_live.fontSize);
    const int perPage = (page.UsableHeight() + 2) / (tm.tmHeight + 2);
    return (lines + perPage - 1) / perPage;
  }
  AppSettings saved_{};
  uint32_t theme_ = 0;
};

std::string Lines(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += "line " + std::to_string(i) + "\r\n";
  return text;
}

TEST_F(Preview, TurnsThePagesOfA200LineDocument) {
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"doc.txt", Lines(200))));
  const size_t expected = static_cast<size_t>(ExpectedPages(200));
  ASSERT_GE(expected, 3u);
  g_settings.previewWidth = 600;  // too narrow: the default size is used
  g_settings.previewHeight = 900;
  size_t count = 0;
  std::vector<size_t> seen;
  auto at = [&](HWND p) { seen.push_back(StateOf(p).current); };
  g_steps = {
      [&](HWND p) {
        count = StateOf(p).PageCount();
        ASSERT_TRUE(StateOf(p).page);
        at(p);
        Key(p, VK_LEFT);  // on page 1: nothing
      },
      [&](HWND p) {
        at(p);
        Click(p, 0);  // Prev is disabled on page 1
      },
      [&](HWND p) {
        at(p);
        Key(p, VK_RIGHT);
      },
      [&](HWND p) {
        at(p);
        Key(p, VK_NEXT);
      },
      [&](HWND p) {
        at(p);
        Click(p, 1);
      },
      [&](HWND p) {
        at(p);
        Key(p, VK_PRIOR);
      },
      [&](HWND p) {
        at(p);
        ApplyTheme((g_live.themeId + 1) % kThemeCount);  // the page is drawn again
      },
      [&](HWND p) {
        EXPECT_TRUE(StateOf(p).page);
        for (size_t i = 0; i < count; ++i) Key(p, VK_RIGHT);  // Next stops at the last page
      },
      [&](HWND p) {
        at(p);
        Click(p, 1);
      },
      [&](HWND p) {
        at(p);
        Key(p, VK_ESCAPE);
      },
  };
  ShowPrintPreview(g_shell.mainWindow);
  EXPECT_EQ(g_nextStep, g_steps.size());
  EXPECT_EQ(count, expected);
  EXPECT_EQ(seen, (std::vector<size_t>{0, 0, 0, 1, 2, 3, 2, count - 1, count - 1}));
  // The default size was used, and the size on closing was stored.
  const WindowSize size = PreviewWindowSize(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(g_openedAt.right - g_openedAt.left, size.width);
  EXPECT_EQ(g_settings.previewWidth, size.width);
  EXPECT_EQ(g_settings.previewHeight, size.height);
  EXPECT_EQ(g_shell.previewWindow, nullptr);
}

TEST_F(Preview, CancelShowsNothing) {
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"doc.txt", Lines(200))));
  g_exportHooks.progressWindow = CancelAtOnce;
  ShowPrintPreview(g_shell.mainWindow);
  EXPECT_EQ(g_preview, nullptr);
  EXPECT_TRUE(g_shownMessages.empty());
}

TEST_F(Preview, AnEmptyDocumentShowsNothing) {
  ShowPrintPreview(g_shell.mainWindow);
  PrintDocument(g_shell.mainWindow);  // nor asks for a printer
  EXPECT_EQ(g_preview, nullptr);
}

// Page Setup: the dialog starts from the stored values; what it returns is stored at once and
// shapes the next preview.
RECT g_marginsIn{};
BOOL WINAPI ConfirmPageSetup(PAGESETUPDLGW* dialog) {
  g_marginsIn = dialog->rtMargin;
  EXPECT_TRUE(dialog->Flags & PSD_INHUNDREDTHSOFMILLIMETERS);
  dialog->rtMargin = {2540, 1000, 500, 3000};
  dialog->ptPaperSize = {21590, 27940};
  return TRUE;
}
BOOL WINAPI CancelPageSetup(PAGESETUPDLGW* dialog) {
  dialog->rtMargin = {1, 2, 3, 4};
  return FALSE;
}

TEST_F(Preview, PageSetupStoresWhatIsConfirmed) {
  const int32_t before[4] = {g_settings.pageMargins[0], g_settings.pageMargins[1], g_settings.pageMargins[2],
                             g_settings.pageMargins[3]};
  g_printHooks.pageSetupDialog = CancelPageSetup;
  EXPECT_FALSE(ShowPageSetup(g_shell.mainWindow));
  EXPECT_EQ(g_settings.pageMargins[0], before[0]);

  g_printHooks.pageSetupDialog = ConfirmPageSetup;
  ASSERT_TRUE(ShowPageSetup(g_shell.mainWindow));
  EXPECT_EQ(g_marginsIn.left, before[0]);
  EXPECT_EQ(g_marginsIn.bottom, before[3]);
  AppSettings stored{};
  ASSERT_TRUE(LoadSettings(stored));  // the file has them: they survive a restart
  EXPECT_EQ(stored.pageMargins[0], 2540);
  EXPECT_EQ(stored.pageMargins[1], 1000);
  EXPECT_EQ(stored.pageMargins[2], 500);
  EXPECT_EQ(stored.pageMargins[3], 3000);
  EXPECT_EQ(stored.paperWidth, 21590);
  EXPECT_EQ(stored.paperHeight, 27940);

  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"doc.txt", Lines(10))));
  int left = 0;
  g_steps = {[&](HWND p) {
    left = StateOf(p).layout.left;
    Key(p, VK_ESCAPE);
  }};
  ShowPrintPreview(g_shell.mainWindow);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(left, MulDiv(1440, GetDeviceCaps(screen, LOGPIXELSX), 1440));  // one inch
  ReleaseDC(nullptr, screen);
}

// Dark pixels of a bitmap in rows [top, bottom).
int DarkPixels(HBITMAP bitmap, int width, int top, int bottom) {
  MemoryDc dc(nullptr);
  SelectionGuard keep(dc.get(), bitmap);
  int dark = 0;
  for (int y = top; y < bottom; y += 2) {
    for (int x = 0; x < width; x += 2) {
      const COLORREF c = GetPixel(dc.get(), x, y);
      if (GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128) ++dark;
    }
  }
  return dark;
}

// A line taller than the whole page stands alone on its page and is drawn as far as the page
// goes: its text does not vanish, and nothing of it passes the text's bottom.
TEST_F(Preview, ALineTallerThanThePageIsDrawnClipped) {
  std::u16string line;
  for (int i = 0; i < 4000; ++i) line += u"word ";
  HDC screen = GetDC(nullptr);
  const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const PageLayout layout = PreviewPageLayout(dpiY, dpiY, g_settings.pageMargins, 11);
  const Bitmap page = RenderPreviewPage(0, {line}, layout, u"Consolas", 11);
  ASSERT_TRUE(page);
  EXPECT_GT(DarkPixels(page.get(), layout.pageWidth, layout.top, layout.bottom), 1000);
  EXPECT_EQ(DarkPixels(page.get(), layout.pageWidth, layout.bottom + 1, layout.pageHeight), 0);  // the grey number aside
}

// A printer that cannot start the document: the user is told.
BOOL WINAPI AMemoryContext(PRINTDLGW* dialog) {
  dialog->hDC = CreateCompatibleDC(nullptr);
  return TRUE;
}

TEST_F(Preview, APrintJobThatCannotStartIsTold) {
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"doc.txt", Lines(3))));
  g_printHooks.printDialog = AMemoryContext;
  PrintDocument(g_shell.mainWindow);
  EXPECT_TRUE(OneMessage(u"Norvo - Print", u"Failed to start print job.\nCheck printer and try again."));
}

// The system's print dialog of this process, once it is up.
HWND PrintDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM out) {
        wchar_t cls[32] = {}, title[64] = {};
        GetClassNameW(window, cls, 32);
        GetWindowTextW(window, title, 64);
        if (std::wstring(cls) != L"#32770" || std::wstring(title) != L"Print" || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(out) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Printing from the preview through the real print dialog to the queue's printer "PDF": the
// file is kept with the preview's page count and the document's lines, which
// tests/check_print_queue.py compares with what the printer made.
class PrintQueuePreview : public Preview {
 protected:
  void SetUp() override {
    queue_ = FolderFromEnvironment(L"NORVO_QUEUE_DIR");
    keep_ = FolderFromEnvironment(L"NORVO_QUEUE_KEEP");
    if (queue_.empty() || keep_.empty()) GTEST_SKIP() << "no print queue (run by tests/check_print_queue.py)";
    Preview::SetUp();
  }
  void TearDown() override {
    if (!queue_.empty() && !keep_.empty()) Preview::TearDown();
  }
  std::u16string queue_, keep_;
};

TEST_F(PrintQueuePreview, PrintingFromThePreviewGivesItsPages) {
  std::string text, expected;
  for (int i = 1; i <= 150; ++i) {
    const std::string line = "Printed line " + std::to_string(i) + (i % 40 == 0 ? std::string(40, '+') + " long" : "");
    text += line + "\r\n";
    expected += line + "\n";
  }
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"printed.txt", text)));
  const QueuedFiles before = PdfFilesIn(queue_);
  size_t pages = 0;
  HWND owner = nullptr;
  g_steps = {
      [&](HWND p) {
        pages = StateOf(p).PageCount();
        Click(p, 2);  // Print
      },
      [&](HWND) {
        HWND dialog = PrintDialog();
        if (!dialog) {
          --g_nextStep;  // not up yet: this step again at the next tick
          return;
        }
        owner = GetWindow(dialog, GW_OWNER);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      },
      [&](HWND p) { Key(p, VK_ESCAPE); },
  };
  ShowPrintPreview(g_shell.mainWindow);
  EXPECT_EQ(owner, g_shell.mainWindow);  // not the preview
  EXPECT_TRUE(g_shownMessages.empty());
  std::string pdf;
  ASSERT_TRUE(PumpUntil([&] { return !(pdf = NewQueuedPdf(queue_, before)).empty(); }, 60000))
      << "the queue made no PDF within a minute";
  ASSERT_TRUE(WriteBytes(keep_ + u"\\preview.pdf", pdf));
  ASSERT_TRUE(WriteBytes(keep_ + u"\\preview.pdf.pages", std::to_string(pages)));
  ASSERT_TRUE(WriteBytes(keep_ + u"\\preview.pdf.txt", expected));
}

}  // namespace
