#include "help/help_logic.h"

#include <algorithm>

HelpLineKind ClassifyHelpLine(std::u16string_view line) {
  if (line.empty()) return HelpLineKind::Blank;
  if (line.size() >= 2 && line[0] == u'#' && line[1] == u'#') return HelpLineKind::Heading;
  return HelpLineKind::Paragraph;
}

std::u16string_view HelpLineText(std::u16string_view line) {
  return ClassifyHelpLine(line) == HelpLineKind::Heading ? line.substr(2) : line;
}

int HelpContentHeight(const char16_t* const* lines, int contentWidth, HelpFontHeights fonts,
                      const HelpMeasure& measure) {
  if (contentWidth < 49 || !lines) return 0;
  const int width = contentWidth - kHelpTextInset;
  const int lineHeight = fonts.body + 4;
  int y = kHelpMargin;
  for (const char16_t* const* line = lines; *line; ++line) {
    std::u16string_view text(*line);
    switch (ClassifyHelpLine(text)) {
      case HelpLineKind::Heading: {
        if (line != lines) y += fonts.heading / 2;
        int h = measure(HelpLineText(text), true, width);
        y += (h > 0 ? h : fonts.heading) + 6;
        break;
      }
      case HelpLineKind::Blank:
        y += lineHeight / 2;
        break;
      case HelpLineKind::Paragraph: {
        int h = measure(text, false, width);
        y += (h > 0 ? h : lineHeight) + 3;
        break;
      }
    }
  }
  return y + kHelpMargin;
}

int HelpMaxScroll(int contentHeight, int pageHeight) {
  return std::max(0, contentHeight - pageHeight);
}

int ClampHelpScroll(int position, int maxScroll) {
  return std::clamp(position, 0, std::max(0, maxScroll));
}

int HelpScrollTo(int position, HelpScroll action, int thumb, int pageHeight, int maxScroll) {
  switch (action) {
    case HelpScroll::LineUp: position -= kHelpLineStep; break;
    case HelpScroll::LineDown: position += kHelpLineStep; break;
    case HelpScroll::PageUp: position -= pageHeight; break;
    case HelpScroll::PageDown: position += pageHeight; break;
    case HelpScroll::Thumb: position = thumb; break;
    case HelpScroll::Top: position = 0; break;
    case HelpScroll::Bottom: position = maxScroll; break;
  }
  return ClampHelpScroll(position, maxScroll);
}

int HelpWheelTo(int position, int wheelDelta, int maxScroll) {
  if (wheelDelta == 0) return ClampHelpScroll(position, maxScroll);
  return ClampHelpScroll(position + (wheelDelta < 0 ? kHelpWheelStep : -kHelpWheelStep), maxScroll);
}

HelpSize HelpOpeningSize(int storedWidth, int storedHeight, int screenWidth, int screenHeight) {
  if (storedWidth >= 500 && storedWidth <= screenWidth && storedHeight >= 380 && storedHeight <= screenHeight)
    return {storedWidth, storedHeight};
  return {std::min(static_cast<int>(0.7 * screenWidth), 860), std::min(static_cast<int>(0.8 * screenHeight), 680)};
}

int HelpOpeningTopic(uint32_t storedTopic) {
  return storedTopic < static_cast<uint32_t>(kHelpTopicCount) ? static_cast<int>(storedTopic) : 0;
}

int HelpStepTopic(int topic, int step) {
  return std::clamp(topic + step, 0, kHelpTopicCount - 1);
}

int HelpTopicAt(int x, int y) {
  const int offset = y - kHelpTitleHeight - kHelpRowTop;
  if (x < 0 || x >= kHelpPanelWidth || offset < 0) return -1;
  const int row = offset / kHelpRowHeight;
  return row < kHelpTopicCount ? row : -1;
}
