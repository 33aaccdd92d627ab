// The lexers' style tables and keyword lists, one entry per language.
#include "settings/lexers.h"

namespace {
using R = ColorRole;
using F = StyleFlag;

const StyleRule kCppStyles[] = {
    {0, R::EditorText, R::EditorBack, F::Font, F::Font},  // SCE_C_DEFAULT
    {1, R::Comment, R::EditorBack, F::Font, F::Yes},  // SCE_C_COMMENT
    {2, R::Comment, R::EditorBack, F::Font, F::Yes},  // SCE_C_COMMENTLINE
    {3, R::Comment, R::EditorBack, F::Font, F::Yes},  // SCE_C_COMMENTDOC
    {4, R::Number, R::EditorBack, F::Font, F::Font},  // SCE_C_NUMBER
    {5, R::Keyword, R::EditorBack, F::Yes, F::Font},  // SCE_C_WORD
    {6, R::String, R::EditorBack, F::Font, F::Font},  // SCE_C_STRING
    {7, R::String, R::EditorBack, F::Font, F::Font},  // SCE_C_CHARACTER
    {9, R::Preprocessor, R::EditorBack, F::Font, F::Font},  // SCE_C_PREPROCESSOR
    {10, R::Operator, R::EditorBack, F::Font, F::Font},  // SCE_C_OPERATOR
    {11, R::EditorText, R::EditorBack, F::Font, F::Font},  // SCE_C_IDENTIFIER
    {12, R::String, R::EditorBack, F::Font, F::Font},  // SCE_C_STRINGEOL
    {13, R::String, R::EditorBack, F::Font, F::Font},  // SCE_C_VERBATIM
    {15, R::Comment, R::EditorBack, F::Font, F::Yes},  // SCE_C_COMMENTLINEDOC
    {16, R::Keyword, R::EditorBack, F::Font, F::Yes},  // SCE_C_WORD2
};
const StyleRule kPythonStyles[] = {
    {0, R::EditorText, R::EditorBack, F::Font, F::Font},  // SCE_P_DEFAULT
    {1, R::Comment, R::EditorBack, F::Font, F::Yes},  // SCE_P_COMMENTLINE
    {2, R::Number, R::EditorBack, F::Font, F::Font},  // SCE_P_NUMBER
    {3, R::String, R::EditorBack, F::Font, F::Font},  // SCE_P_STRING
    {4, R::String, R::EditorBack, F::Font, F::Font},  // SCE_P_CHARACTER
    {5, R::Keyword, R::EditorBack, F::Yes, F::Font},  // SCE_P_WORD
    {6, R::String, R::EditorBack, F::Font, F::Font},  // SCE_P_TRIPLE
    {7, R::String, R::EditorBack, F::Font, F::Font},  // SCE_P_TRIPLEDOUBLE
    {8, R::Keyword, R::EditorBack, F::Yes, F::Font},  // SCE_P_CLASSNAME
    {9, R::Preprocessor, R::EditorBack, F::Font, F::Font},  // SCE_P_DEFNAME
    {10, R::Operator, R::EditorBack, F::Font, F::Font},  // SCE_P_OPERATOR
    {11, R::EditorText, R::EditorBack, F::Font, F::Font},  // SCE_P_IDENTIFIER
    {12, R::Comment, R::EditorBack, F::Font, F::Yes},  // SCE_P_COMMENTBLOCK
    {15, R::Preprocessor, R::EditorBack, F::Font, F::Font},  // SCE_P_DECORATOR
};
const StyleRule kMarkupStyles[] = {
    {0, R::EditorText, R::EditorBack, F::Font, F::Font},  // SCE_H_DEFAULT
    {1, R::Keyword, R::EditorBack, F::Yes, F::Font},  // SCE_H_TAG
    {2, R::Keyword, R::EditorBack, F::Font, F::Font},  // SCE_H_TAGUNKNOWN
    {3, R::Preprocessor, R::EditorBack, F::Font, F::Font},  // SCE_H_ATTRIBUTE
    {4, R::Preprocessor, R::EditorBack, F::Font, F::Font},  // SCE_H_ATTRIBUTEUNKNOWN
    {5, R::Number, R::EditorBack, F::Font, F::Font},  // SCE_H_NUMBER
    {6, R::String, R::EditorBack, F::Font, F::Font},  // SCE_H_DOUBLESTRING
    {7, R::String, R::EditorBack, F::Font, F::Font},  // SCE_H_SINGLESTRING
    {8, R::EditorText, R::EditorBack, F::Font, F::Font},  // SCE_H_OTHER
    {9, R::Comment, R::EditorBack, F::Font, F::Yes},  // SCE_H_COMMENT
    {10, R::Number, R::EditorBack, F::Font, F::Font},  // SCE_H_ENTITY
    {11, R::Keyword, R::EditorBack, F::Yes, F::Font},  // SCE_H_TAGEND
    {12, R::Operator, R::EditorBack, F::Yes, F::Font},  // SCE_H_XMLSTART
    {13, R::Operator, R::EditorBack, F::Yes, F::Font},  // SCE_H_XMLEND
    {17, R::String, R::EditorBack, F::Font, F::Font},  // SCE_H_CDATA
};
const StyleRule kCssStyles[] = {
    {0, R::EditorText, R::EditorBack, F::Font, F::Font},  // SCE_CSS_DEFAULT
    {1, R::Keyword, R::EditorBack, F::Yes, F::Font},  // SCE_CSS_TAG
    {2, R::Preprocessor, R::EditorBack, F::Font, F::Font},  // SCE_CSS_CLASS
    {3, R::Preprocessor, R::EditorBack, F::Font, F::Font},  // SCE_CSS_PSEUDOCLASS
    {4, R::Comment, R::EditorBack, F::Font, F::Font},  // SCE_CSS_UNKNOWN_PSEUDOCLASS
    {5, R::Operator, R::EditorBack, F::Font, F::Font},  // SCE_CSS_OPERATOR
    {6, R::Keyword, R::EditorBack, F::Font, F::Font},  // SCE_CSS_IDENTIFIER
    {7, R::EditorText, R::EditorBack, F::Font, F::Font},  // SCE_CSS_UNKNOWN_IDENTIFIER
    {8, R::String, R::EditorBack, F::Font, F::Font},  // SCE_CSS_VALUE
    {9, R::Comment, R::EditorBack, F::Font, F::Yes},  // SCE_CSS_COMMENT
    {10, R::Preprocessor, R::EditorBack, F::Yes, F::Font},  // SCE_CSS_ID
    {11, R::Keyword, R::EditorBack, F::Yes, F::Font},  // SCE_CSS_IMPORTANT
    {12, R::Preprocessor, R::EditorBack, F::Font, F::Font},  // SCE_CSS_DIRECTIVE
    {13, R::String, R::EditorBack, F::Font, F::Font},  // SCE_CSS_DOUBLESTRING
    {14, R::String, R::EditorBack, F::Font, F::Font},  // SCE_CSS_SINGLESTRING
    {16, R::Preprocessor, R::EditorBack, F::Font, F::Font},  // SCE_CSS_ATTRIBUTE
    {18, R::Preprocessor, R::EditorBack, F::Font, F::Font},  // SCE_CSS_PSEUDOELEMENT
    {22, R::Keyword, R::EditorBack, F::Yes, F::Font},  // SCE_CSS_GROUP_RULE
    {23, R::Number, R::EditorBack, F::Font, F::Font},  // SCE_CSS_VARIABLE
};
const StyleRule kBatchStyles[] = {
    {0, R::EditorText, R::EditorBack, F::Font, F::Font},  // SCE_BAT_DEFAULT
    {1, R::Comment, R::EditorBack, F::Font, F::Yes},  // SCE_BAT_COMMENT
    {2, R::Keyword, R::EditorBack, F::Yes, F::Font},  // SCE_BAT_WORD
    {3, R::Preprocessor, R::EditorBack, F::Font, F::Font},  // SCE_BAT_LABEL
    {4, R::Comment, R::EditorBack, F::Font, F::Font},  // SCE_BAT_HIDE
    {5, R::Keyword, R::EditorBack, F::Yes, F::Font},  // SCE_BAT_COMMAND
    {6, R::EditorText, R::EditorBack, F::Font, F::Font},  // SCE_BAT_IDENTIFIER
    {7, R::Operator, R::EditorBack, F::Font, F::Font},  // SCE_BAT_OPERATOR
};
const StyleRule kMarkdownStyles[] = {
    {0, R::EditorText, R::EditorBack, F::Font, F::Font},  // SCE_MARKDOWN_DEFAULT
    {1, R::EditorText, R::EditorBack, F::Font, F::Font},  // SCE_MARKDOWN_LINE_BEGIN
    {2, R::EditorText, R::EditorBack, F::Yes, F::Font},  // SCE_MARKDOWN_STRONG1
    {3, R::EditorText, R::EditorBack, F::Yes, F::Font},  // SCE_MARKDOWN_STRONG2
    {4, R::EditorText, R::EditorBack, F::Font, F::Yes},  // SCE_MARKDOWN_EM1
    {5, R::EditorText, R::EditorBack, F::Font, F::Yes},  // SCE_MARKDOWN_EM2
    {6, R::Keyword, R::EditorBack, F::Yes, F::Font},  // SCE_MARKDOWN_HEADER1
    {7, R::Preprocessor, R::EditorBack, F::Yes, F::Font},  // SCE_MARKDOWN_HEADER2
    {8, R::String, R::EditorBack, F::Font, F::Font},  // SCE_MARKDOWN_HEADER3
    {9, R::MutedText, R::EditorBack, F::Font, F::Font},  // SCE_MARKDOWN_HEADER4
    {10, R::MutedText, R::EditorBack, F::Font, F::Font},  // SCE_MARKDOWN_HEADER5
    {11, R::MutedText, R::EditorBack, F::Font, F::Font},  // SCE_MARKDOWN_HEADER6
    {12, R::String, R::CodeBack, F::Font, F::Font},  // SCE_MARKDOWN_PRECHAR
    {13, R::Operator, R::EditorBack, F::Font, F::Font},  // SCE_MARKDOWN_ULIST_ITEM
    {14, R::Operator, R::EditorBack, F::Font, F::Font},  // SCE_MARKDOWN_OLIST_ITEM
    {15, R::MutedText, R::EditorBack, F::Font, F::Yes},  // SCE_MARKDOWN_BLOCKQUOTE
    {16, R::MutedText, R::EditorBack, F::Font, F::Font},  // SCE_MARKDOWN_STRIKEOUT
    {17, R::Comment, R::EditorBack, F::Font, F::Font},  // SCE_MARKDOWN_HRULE
    {18, R::String, R::EditorBack, F::Font, F::Yes},  // SCE_MARKDOWN_LINK
    {19, R::String, R::CodeBack, F::Font, F::Font},  // SCE_MARKDOWN_CODE
    {20, R::String, R::CodeBack, F::Font, F::Font},  // SCE_MARKDOWN_CODE2
    {21, R::String, R::CodeBack, F::Font, F::Font},  // SCE_MARKDOWN_CODEBK
};

const char kCppWords0[] =
    "alignas alignof and and_eq asm auto bitand bitor bool break case catch char char8_t char16_t char32_t class compl concept const consteval constexpr constinit const_cast continue co_await co_return co_yield decltype default delete do double dynamic_cast else enum explicit export extern false float for friend goto if inline int long mutable namespace new noexcept not not_eq nullptr operator or or_eq private protected public register reinterpret_cast requires return short signed sizeof static static_assert static_cast struct switch template this thread_local throw true try typedef typeid typename union unsigned using virtual void volatile wchar_t while xor xor_eq";
const char kCppWords1[] =
    "NULL TRUE FALSE BOOL BYTE WORD DWORD QWORD INT8 INT16 INT32 INT64 UINT UINT8 UINT16 UINT32 UINT64 LPSTR LPCSTR LPWSTR LPCWSTR LPVOID HANDLE HWND HINSTANCE HMODULE HFONT HBRUSH HPEN HDC HMENU HICON WPARAM LPARAM LRESULT CALLBACK WINAPI size_t ptrdiff_t uintptr_t int8_t int16_t int32_t int64_t uint8_t uint16_t uint32_t uint64_t string wstring vector map unordered_map set pair optional variant unique_ptr shared_ptr weak_ptr make_unique make_shared";
const char kPythonWords0[] =
    "False None True and as assert async await break class continue def del elif else except finally for from global if import in is lambda nonlocal not or pass raise return try while with yield self cls super print len range type isinstance issubclass hasattr getattr setattr delattr callable iter next enumerate zip map filter sorted reversed min max sum abs round open int float str bool list dict set tuple bytes bytearray memoryview complex frozenset";
const char kBatchWords0[] =
    "call cd chdir cls copy del dir echo endlocal erase exit for goto if md mkdir move path pause popd pushd rd rem ren rename rmdir set setlocal shift start title type xcopy robocopy defined exist errorlevel not";
const KeywordSet kCppKeywords[] = {{0, kCppWords0}, {1, kCppWords1}};
const KeywordSet kPythonKeywords[] = {{0, kPythonWords0}};
const KeywordSet kBatchKeywords[] = {{0, kBatchWords0}};
}  // namespace

std::span<const StyleRule> StyleTableFor(int kind) {
  switch (kind) {
    case kLexerCpp: return kCppStyles;
    case kLexerPython: return kPythonStyles;
    case kLexerHtml:
    case kLexerXml: return kMarkupStyles;
    case kLexerCss: return kCssStyles;
    case kLexerBatch: return kBatchStyles;
    case kLexerMarkdown: return kMarkdownStyles;
    default: return {};
  }
}

std::span<const KeywordSet> KeywordsFor(int kind) {
  switch (kind) {
    case kLexerCpp: return kCppKeywords;
    case kLexerPython: return kPythonKeywords;
    case kLexerBatch: return kBatchKeywords;
    default: return {};
  }
}
