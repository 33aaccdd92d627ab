// The six built-in palettes, one entry per ThemeId.
#include "settings/theme.h"

namespace {
// #RRGGBB to a Windows COLORREF (0x00BBGGRR).
constexpr uint32_t Rgb(uint32_t rrggbb) {
  return ((rrggbb >> 16) & 0xFF) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16);
}
}  // namespace

const ColorPalette kThemePalettes[kThemeCount] = {
    // 0 "Norvo Dark"
    {
        Rgb(0x1E1E1E),  // windowBack
        Rgb(0x1C1C1E),  // editorBack
        Rgb(0x19191B),  // panelBack
        Rgb(0x161618),  // statusBack
        Rgb(0xDCDCDC),  // dialogText
        Rgb(0xD4D4D4),  // editorText
        Rgb(0x6E6E6E),  // mutedText
        Rgb(0xB4B4B4),  // statusText
        Rgb(0x262628),  // marginBack
        Rgb(0x646469),  // marginText
        Rgb(0xC8C8C8),  // marginCurrentText
        Rgb(0x28282A),  // itemBack
        Rgb(0x3A3A3E),  // itemHoverBack
        Rgb(0x46464B),  // itemBorder
        Rgb(0xDCDCDC),  // itemText
        Rgb(0xFFFFFF),  // itemHoverText
        Rgb(0x646464),  // itemDisabledText
        Rgb(0x37373A),  // borderLine
        Rgb(0x46464B),  // accent
        Rgb(0x323237),  // buttonFace
        Rgb(0x232328),  // buttonPressedFace
        Rgb(0x505055),  // buttonBorder
        Rgb(0xDCDCDC),  // buttonText
        Rgb(0x232326),  // inputBack
        Rgb(0x1E1E21),  // dialogBack
        Rgb(0xDCDCDC),  // caret
        Rgb(0x264F78),  // selectionBack
        Rgb(0xFFFFFF),  // selectionText
        true,
        {Rgb(0x569CD6), Rgb(0x6A9955), Rgb(0xCE9178), Rgb(0xB5CEA8), Rgb(0x9CDCFE), Rgb(0xB4B4B4)},  // keyword, comment, string, number, preprocessor, operator
    },
    // 1 "Norvo Light"
    {
        Rgb(0xFAFAFA),  // windowBack
        Rgb(0xFFFFFF),  // editorBack
        Rgb(0xF5F5F5),  // panelBack
        Rgb(0xF0F0F0),  // statusBack
        Rgb(0x141414),  // dialogText
        Rgb(0x000000),  // editorText
        Rgb(0xA0A0A0),  // mutedText
        Rgb(0x505050),  // statusText
        Rgb(0xF0F0F0),  // marginBack
        Rgb(0x969696),  // marginText
        Rgb(0x282828),  // marginCurrentText
        Rgb(0xFFFFFF),  // itemBack
        Rgb(0xEBEBEB),  // itemHoverBack
        Rgb(0xD2D2D2),  // itemBorder
        Rgb(0x3C3C3C),  // itemText
        Rgb(0x000000),  // itemHoverText
        Rgb(0xA0A0A0),  // itemDisabledText
        Rgb(0xD2D2D2),  // borderLine
        Rgb(0xC3C3C3),  // accent
        Rgb(0xE1E1E1),  // buttonFace
        Rgb(0xC8C8C8),  // buttonPressedFace
        Rgb(0xB4B4B4),  // buttonBorder
        Rgb(0x1E1E1E),  // buttonText
        Rgb(0xFFFFFF),  // inputBack
        Rgb(0xF2F2F2),  // dialogBack
        Rgb(0x000000),  // caret
        Rgb(0xADD6FF),  // selectionBack
        Rgb(0x000000),  // selectionText
        false,
        {Rgb(0x0000FF), Rgb(0x008000), Rgb(0xA31515), Rgb(0x098658), Rgb(0x6464B4), Rgb(0x000000)},  // keyword, comment, string, number, preprocessor, operator
    },
    // 2 "Azure"
    {
        Rgb(0xE4EEFF),  // windowBack
        Rgb(0xEBF4FF),  // editorBack
        Rgb(0xDCE8FA),  // panelBack
        Rgb(0xD2E0F5),  // statusBack
        Rgb(0x0F1E3C),  // dialogText
        Rgb(0x0A1432),  // editorText
        Rgb(0x8C9BB9),  // mutedText
        Rgb(0x32466E),  // statusText
        Rgb(0xD7E4F8),  // marginBack
        Rgb(0x829BC8),  // marginText
        Rgb(0x143278),  // marginCurrentText
        Rgb(0xF0F8FF),  // itemBack
        Rgb(0xDCEAFC),  // itemHoverBack
        Rgb(0xB4C8E6),  // itemBorder
        Rgb(0x1E3C6E),  // itemText
        Rgb(0x001E5A),  // itemHoverText
        Rgb(0x96A5C3),  // itemDisabledText
        Rgb(0xAAC3EB),  // borderLine
        Rgb(0x9BB6E1),  // accent
        Rgb(0xD2E1F0),  // buttonFace
        Rgb(0xB9CDE1),  // buttonPressedFace
        Rgb(0xA0BED7),  // buttonBorder
        Rgb(0x142846),  // buttonText
        Rgb(0xF0F6FC),  // inputBack
        Rgb(0xE4EEF8),  // dialogBack
        Rgb(0x002878),  // caret
        Rgb(0xA0C3F0),  // selectionBack
        Rgb(0x000000),  // selectionText
        false,
        {Rgb(0x003CC8), Rgb(0x006E28), Rgb(0xAA2828), Rgb(0x0064B4), Rgb(0x5A5AAA), Rgb(0x282850)},  // keyword, comment, string, number, preprocessor, operator
    },
    // 3 "Green"
    {
        Rgb(0xE4FAE4),  // windowBack
        Rgb(0xEBFFEB),  // editorBack
        Rgb(0xDCF5DC),  // panelBack
        Rgb(0xD2EED2),  // statusBack
        Rgb(0x003200),  // dialogText
        Rgb(0x002800),  // editorText
        Rgb(0x82AF82),  // mutedText
        Rgb(0x005000),  // statusText
        Rgb(0xD7F2D7),  // marginBack
        Rgb(0x64A064),  // marginText
        Rgb(0x005000),  // marginCurrentText
        Rgb(0xF0FFF0),  // itemBack
        Rgb(0xDAF5DA),  // itemHoverBack
        Rgb(0xA0D2A0),  // itemBorder
        Rgb(0x004600),  // itemText
        Rgb(0x006400),  // itemHoverText
        Rgb(0x82AF82),  // itemDisabledText
        Rgb(0x9BDC9B),  // borderLine
        Rgb(0x8CCD8C),  // accent
        Rgb(0xD2EBD2),  // buttonFace
        Rgb(0xB9D7B9),  // buttonPressedFace
        Rgb(0x96C396),  // buttonBorder
        Rgb(0x143214),  // buttonText
        Rgb(0xF0FAF0),  // inputBack
        Rgb(0xE4F4E4),  // dialogBack
        Rgb(0x005000),  // caret
        Rgb(0x96DC96),  // selectionBack
        Rgb(0x000000),  // selectionText
        false,
        {Rgb(0x006400), Rgb(0x50A050), Rgb(0xA03C00), Rgb(0x00783C), Rgb(0x3C643C), Rgb(0x143C14)},  // keyword, comment, string, number, preprocessor, operator
    },
    // 4 "Night"
    {
        Rgb(0x1C1C1A),  // windowBack
        Rgb(0x20201E),  // editorBack
        Rgb(0x1A1A18),  // panelBack
        Rgb(0x161614),  // statusBack
        Rgb(0xD2D2BE),  // dialogText
        Rgb(0xDCDAC8),  // editorText
        Rgb(0x6E6C5F),  // mutedText
        Rgb(0xAAA896),  // statusText
        Rgb(0x262623),  // marginBack
        Rgb(0x646255),  // marginText
        Rgb(0xC8C6B4),  // marginCurrentText
        Rgb(0x282825),  // itemBack
        Rgb(0x3A3934),  // itemHoverBack
        Rgb(0x44423C),  // itemBorder
        Rgb(0xD2D0C0),  // itemText
        Rgb(0xFFFDE6),  // itemHoverText
        Rgb(0x646258),  // itemDisabledText
        Rgb(0x373530),  // borderLine
        Rgb(0x44423C),  // accent
        Rgb(0x2D2D3C),  // buttonFace
        Rgb(0x1E1E2D),  // buttonPressedFace
        Rgb(0x46465A),  // buttonBorder
        Rgb(0xB4B4D2),  // buttonText
        Rgb(0x1C1C28),  // inputBack
        Rgb(0x161623),  // dialogBack
        Rgb(0xDCDAC8),  // caret
        Rgb(0x46412D),  // selectionBack
        Rgb(0xFFFDE1),  // selectionText
        true,
        {Rgb(0x82B9FF), Rgb(0x82AA78), Rgb(0xEBAF8C), Rgb(0xC3DAAF), Rgb(0xAFD7FA), Rgb(0xC3C0AF)},  // keyword, comment, string, number, preprocessor, operator
    },
    // 5 "Sepia"
    {
        Rgb(0xF8EEDE),  // windowBack
        Rgb(0xFFF8EB),  // editorBack
        Rgb(0xF2E8D7),  // panelBack
        Rgb(0xEBE0CD),  // statusBack
        Rgb(0x462A12),  // dialogText
        Rgb(0x3C230C),  // editorText
        Rgb(0xB49B82),  // mutedText
        Rgb(0x644123),  // statusText
        Rgb(0xEEE4D2),  // marginBack
        Rgb(0xAA8764),  // marginText
        Rgb(0x503214),  // marginCurrentText
        Rgb(0xFFF5E4),  // itemBack
        Rgb(0xF0E4D0),  // itemHoverBack
        Rgb(0xC8AC8C),  // itemBorder
        Rgb(0x503214),  // itemText
        Rgb(0x64411C),  // itemHoverText
        Rgb(0xB49B82),  // itemDisabledText
        Rgb(0xD2B99B),  // borderLine
        Rgb(0xC6AC8C),  // accent
        Rgb(0xD2C3A5),  // buttonFace
        Rgb(0xBEAC8A),  // buttonPressedFace
        Rgb(0xAA946E),  // buttonBorder
        Rgb(0x3C280F),  // buttonText
        Rgb(0xFAF0DC),  // inputBack
        Rgb(0xF2E6D0),  // dialogBack
        Rgb(0x503214),  // caret
        Rgb(0xD2B28A),  // selectionBack
        Rgb(0x000000),  // selectionText
        false,
        {Rgb(0x6E3C14), Rgb(0x9B764B), Rgb(0xB94B2D), Rgb(0x64501E), Rgb(0x7D5F41), Rgb(0x503719)},  // keyword, comment, string, number, preprocessor, operator
    },
};
const char16_t* const kThemeNames[kThemeCount] = {u"Norvo Dark", u"Norvo Light", u"Azure", u"Green", u"Night", u"Sepia"};

// highlightBack, itemBack, itemText, highlightText, disabledText, separator
const MenuColors kMenuColors[kThemeCount] = {
    {Rgb(0x0078D4), Rgb(0x1C1C1C), Rgb(0xDCDCDC), Rgb(0xFFFFFF), Rgb(0x5A5A5A), Rgb(0x373737)},
    {Rgb(0x0078D4), Rgb(0xFCFCFC), Rgb(0x141414), Rgb(0xFFFFFF), Rgb(0xAAAAAA), Rgb(0xD7D7D7)},
    {Rgb(0x0064C8), Rgb(0xE1EBFC), Rgb(0x0A1E50), Rgb(0xFFFFFF), Rgb(0x96AAD2), Rgb(0xAFC8EE)},
    {Rgb(0x008C3C), Rgb(0xE1FAE1), Rgb(0x003C00), Rgb(0xFFFFFF), Rgb(0x82B982), Rgb(0xA5E1A5)},
    {Rgb(0x4B5F87), Rgb(0x1C1C1A), Rgb(0xD2D2C3), Rgb(0xF0F0E1), Rgb(0x5F5F55), Rgb(0x3A3A36)},
    {Rgb(0x9B5F2D), Rgb(0xF5EBDA), Rgb(0x4B2D14), Rgb(0xFFF8EB), Rgb(0xB9A087), Rgb(0xD4BC9E)},
};
