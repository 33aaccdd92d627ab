// The rules of the Help window that need no window: its markup, the content height of a
// topic, scrolling, the stored size and topic, and which topic row lies under the mouse.
#pragma once
#include <cstdint>
#include <functional>
#include <string_view>

constexpr int kHelpTopicCount = 10;

// Fixed regions of the window (client pixels).
constexpr int kHelpTitleHeight = 40;
constexpr int kHelpPanelWidth = 190;
constexpr int kHelpRowTop = 12;     // first topic row, below the title strip
constexpr int kHelpRowHeight = 32;
constexpr int kHelpMargin = 24;     // around the text of the content pane
constexpr int kHelpTextInset = 62;  // pane width minus text width
constexpr int kHelpLineStep = 20;   // scroll bar arrows
constexpr int kHelpWheelStep = 40;  // one wheel notification
constexpr int kHelpMinTrackWidth = 600;
constexpr int kHelpMinTrackHeight = 420;

// Lines of a topic: "##" starts a heading, an empty line is space, anything else a paragraph.
enum class HelpLineKind { Heading, Blank, Paragraph };
HelpLineKind ClassifyHelpLine(std::u16string_view line);
// What is drawn for a line: a heading without its two "#", other lines as they are.
std::u16string_view HelpLineText(std::u16string_view line);

// Text heights (tmHeight) of the body and heading fonts.
struct HelpFontHeights {
  int body = 0;
  int heading = 0;
};
// Height of `text` word-wrapped to `width` in the heading or body font.
using HelpMeasure = std::function<int(std::u16string_view text, bool heading, int width)>;

// The content height of a topic (its lines end with a null entry) in a pane `contentWidth`
// wide, with the margins above and below; 0 when the pane is narrower than 49 pixels.
int HelpContentHeight(const char16_t* const* lines, int contentWidth, HelpFontHeights fonts,
                      const HelpMeasure& measure);
int HelpMaxScroll(int contentHeight, int pageHeight);
int ClampHelpScroll(int position, int maxScroll);

enum class HelpScroll { LineUp, LineDown, PageUp, PageDown, Thumb, Top, Bottom };
// The position after a scroll bar action (`thumb` for Thumb), clamped.
int HelpScrollTo(int position, HelpScroll action, int thumb, int pageHeight, int maxScroll);
// The position after one wheel notification: 40 pixels, down for a negative delta, clamped.
int HelpWheelTo(int position, int wheelDelta, int maxScroll);

// The outer size the window opens with: the stored one when it is usable on this screen,
// otherwise 70 % x 80 % of the screen, at most 860 x 680.
struct HelpSize {
  int width = 0;
  int height = 0;
};
HelpSize HelpOpeningSize(int storedWidth, int storedHeight, int screenWidth, int screenHeight);
// The stored topic when it is one of the ten, otherwise the first.
int HelpOpeningTopic(uint32_t storedTopic);
// The topic one step before (-1) or after (+1), staying within the ten.
int HelpStepTopic(int topic, int step);
// The topic row at client point (x, y), or -1.
int HelpTopicAt(int x, int y);
