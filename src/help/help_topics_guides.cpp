// The texts of the topics on Markdown, regular expressions and syntax highlighting.
#include "help/help_topics.h"

const char16_t* const kHelpMarkdownPreview[] = {
    u"##Markdown Preview",
    u"Open a Markdown file, right-click in the text and choose MD Preview (HTML). Norvo renders the "
    u"document into a web page in the colours of the current theme and opens it in your default browser; "
    u"a progress window is shown while the page is written. The page shows the text as it is in the "
    u"editor, saved or not. Run MD Preview again to see later changes.",
    u"",
    u"The page uses the editor's font when it is a proportional one, and Segoe UI when the editor uses a "
    u"monospace font such as Consolas.",
    u"",
    u"##File size limits",
    u"The preview renders documents of up to 30,000 lines. For a longer file Norvo asks whether to open it "
    u"as plain text in the read-only Norvo Viewer instead. Export as HTML or PDF of a Markdown document has "
    u"the same 30,000-line limit.",
    u"",
    u"##No browser installed?",
    u"When no program opens .html files, Norvo shows the generated page as text in a read-only viewer "
    u"window instead. The page itself stays in the Norvo folder (see Temporary Files), so you can open it "
    u"in a browser later.",
    u"",
    u"##Markdown Syntax Support",
    u"Norvo renders a small, line-oriented part of Markdown:",
    u"  # Title\theading; ## and ### for the second and third level",
    u"  - item\tbulleted list item; * item works too",
    u"  1. item\tnumbered list item (one or two digits)",
    u"  > text\tquote of one line",
    u"  ---\thorizontal rule; *** and ___ work too",
    u"  **bold**\tbold",
    u"  *italic*\titalic; _italic_ works too",
    u"  `code`\tcode",
    u"Every other line is a paragraph. Blanks at the start of a line are ignored, and an empty line ends a "
    u"list.",
    u"",
    u"##HTML Output Features",
    u"The page is one UTF-8 file with its style sheet inside: the theme's colours for the background, text, "
    u"headings, rules, quotes and code, a centred column at most 860 pixels wide, and the document's file "
    u"name as the page title. Special characters such as < and & are written so that they show as typed.",
    u"",
    u"##Temporary Files",
    u"Previews are written to the Norvo folder of your application data (%APPDATA%\\Norvo) with names "
    u"such as temp_20260314_101502_123.html. Preview files older than seven days are deleted when Norvo "
    u"starts and when Find & Replace or Regex Search is opened for the first time in a session.",
    u"",
    u"##Supported Extensions",
    u"MD Preview is offered for files whose name ends in .md, in any case. Files ending in .markdown are "
    u"coloured as Markdown in the editor but are not previewed or rendered.",
    u"",
    u"##Common Use Cases",
    u"  - Checking a README or notes before you share them.",
    u"  - Reading a long Markdown document comfortably in the browser.",
    u"  - Handing on a rendered page: Export and HTML Document on a .md file write the rendered page rather "
    u"than the highlighted source.",
    u"",
    u"##Keyboard Shortcuts (in editor)",
    u"MD Preview has no key of its own; use the right-click menu. Keys that help while writing:",
    u"  Ctrl+S\tSave",
    u"  Ctrl+F\tFind / Replace",
    u"  Ctrl+Shift+H\tRegex Search dialog",
    u"",
    u"##Limitations",
    u"  - No links, images, tables, nested lists, code blocks or HTML tags: such text is shown as typed.",
    u"  - No backslash escapes, and no bold with double underscores.",
    u"  - A quote is a single line; numbered items are numbered from 1 whatever their digits.",
    u"  - The preview does not follow your edits by itself.",
    nullptr,
};

const char16_t* const kHelpRegularExpressions[] = {
    u"##Regular Expressions in Norvo",
    u"Regular expressions are searched by the Regex Search dialog (Ctrl+Shift+H); Find & Replace (Ctrl+F) "
    u"searches for plain text. Patterns follow the JavaScript (ECMAScript) syntax. A search ignores case "
    u"unless Match case is ticked, and Whole word puts the pattern between word boundaries.",
    u"",
    u"##Basic Patterns",
    u"  abc\tthe letters abc",
    u"  .\tany character except a line end",
    u"  \\.\ta dot; a backslash makes any of . * + ? ( ) [ ] { } | ^ $ \\ / an ordinary character",
    u"",
    u"##Character Classes",
    u"  [abc]\tone of a, b or c",
    u"  [^abc]\tany character except a, b and c, line ends included",
    u"  [a-z0-9]\ta range of characters",
    u"  \\d  \\D\ta digit 0-9 / any other character",
    u"  \\w  \\W\ta letter A-Z or a-z, a digit or _ / any other character",
    u"  \\s  \\S\ta blank, tab or line end / any other character",
    u"  [[:alpha:]]\ta named class inside brackets, such as alpha, digit or space",
    u"\\d, \\w and \\b know only the ASCII characters: accented letters are not word characters.",
    u"",
    u"##Quantifiers",
    u"  *\tzero or more times",
    u"  +\tonce or more",
    u"  ?\tzero times or once",
    u"  {3}  {3,}  {3,5}\texactly 3, at least 3, from 3 to 5 times",
    u"  *?  +?  ??  {3,5}?\tthe same, but as few times as possible",
    u"",
    u"##Anchors",
    u"  ^\twhere the search starts",
    u"  $\tthe end of the text",
    u"  \\b  \\B\ta word boundary / anywhere else",
    u"^ and $ do not stand for the start and end of every line: ^ matches only where a search begins (for "
    u"Find / Next, at the caret) and $ only at the end of the text. To find text at the start of a line, "
    u"look for the line end before it, for example (?<=\\n)TODO.",
    u"",
    u"##Groups & Alternation",
    u"  cat|dog\teither cat or dog",
    u"  (abc)\ta group that captures its text, $1 in the replacement",
    u"  (?:abc)\ta group that does not capture",
    u"  (?<name>abc)\ta named group; \\k<name> matches its text again",
    u"  \\1  \\2\tthe text of group 1 or 2 again",
    u"  (?=abc)  (?!abc)\tfollowed / not followed by abc",
    u"  (?<=abc)  (?<!abc)\tpreceded / not preceded by abc",
    u"",
    u"##Character Escapes",
    u"  \\n  \\r  \\t\tline feed, carriage return, tab",
    u"  \\f  \\v\tform feed, vertical tab",
    u"  \\0\tthe NUL character",
    u"  \\x41\ta character by two hexadecimal digits (here A)",
    u"  \\u00E9\ta character by four hexadecimal digits (here \u00E9)",
    u"  \\cJ\ta control character (here the line feed)",
    u"A backslash before a letter that has no meaning here stands for the letter itself: \\e matches e.",
    u"",
    u"##Practical Examples",
    u"  \\bTODO\\b\tthe word TODO",
    u"  \\d+\ta whole number",
    u"  0x[0-9A-Fa-f]+\ta hexadecimal number",
    u"  \\d{4}-\\d{2}-\\d{2}\ta date such as 2026-03-14",
    u"  \"[^\"\\r\\n]*\"\ta text in double quotes on one line",
    u"  \\b(\\w+)\\s+\\1\\b\ta word written twice",
    u"  [ \\t]+(?=\\r?\\n)\tblanks at the end of a line",
    u"",
    u"##Find & Replace Examples",
    u"  (\\w+), (\\w+)\treplaced by $2 $1 turns \"red, green\" into \"green red\"",
    u"  (\\d{4})-(\\d{2})-(\\d{2})\treplaced by $3.$2.$1 turns 2026-03-14 into 14.03.2026",
    u"  [ \\t]+(?=\\r?\\n)\treplaced by nothing removes the blanks at line ends",
    u"In the replacement, $& or $0 stands for the whole match and $1 to $9 for the groups. Replace All "
    u"without Preserve case also knows $10 to $99, $$ for a dollar sign, and $` and $' for the text before "
    u"and after the match. With Preserve case the replacement follows the case of the text it replaces: "
    u"all capitals, all small letters, or a capital first letter.",
    u"",
    u"##Advanced Features",
    u"  - Look-ahead and look-behind, lazy quantifiers, named groups and back-references.",
    u"  - A look-behind must have a fixed length.",
    u"  - [] never matches, and [^] matches any character, line ends included.",
    u"  - A back-reference to a group that has not taken part matches the empty text instead of failing.",
    u"Some constructs of other regular-expression flavours are refused with \"Invalid regex pattern.\": "
    u"inline options such as (?i), atomic groups (?>...), comments (?#...), conditions (?(...)), "
    u"recursion such as (?R), (?|...) and (?P<name>...), verbs such as (*SKIP) or (*UCP), possessive "
    u"quantifiers such as a*+, the escapes \\A, \\Z, \\z, \\G, \\Q, \\E and \\K outside brackets, "
    u"back-references inside brackets, and a back-reference to a group number the pattern does not have.",
    u"",
    u"##Regex Dialog Options",
    u"  - Find / Next and Find Prev select the next or previous match from the caret, and go round to the "
    u"other end of the text when there is none.",
    u"  - Replace replaces the match in the selection (use Find / Next first); Replace All replaces every "
    u"match in one step that a single Undo takes back.",
    u"  - Find All lists the matches, collected in the background in batches; Cancel stops it. It stops at "
    u"Max matches (10000 at first, 0 for no limit), and Find More then goes on from there.",
    u"  - Batch size (3000 at first) is how many matches are collected per step.",
    u"  - Output format lists only the matches, the matches with line numbers, or the full lines; Include "
    u"line numbers adds the line numbers to the list.",
    u"  - Color results marks what was found or replaced in the text. Apply saves the options.",
    u"  - Every search session is written to a log file, regex_ followed by the date and time, in "
    u"%APPDATA%\\Norvo; Open Results opens the current one in a new Norvo window. Logs older than seven "
    u"days are deleted.",
    u"",
    u"##Performance Tips",
    u"  - Find All runs in the background: you can go on working, or press Cancel.",
    u"  - On very large files keep a Max matches limit and use Find More when you need further results.",
    u"  - Prefer precise patterns: \\bname\\b rather than .*name.*, and avoid nested repeats such as (a+)+. A "
    u"search that would take too long stops with \"Pattern too complex.\"",
    nullptr,
};

const char16_t* const kHelpSyntaxHighlighting[] = {
    u"##Syntax Highlighting in Norvo",
    u"Norvo colours source code with the lexers of the Lexilla library. The language is chosen from the "
    u"file's extension, in any case, when the file is opened or saved under a new name.",
    u"",
    u"##Supported Languages",
    u"  C and C++\t.c .cpp .cxx .cc .h .hpp .hxx",
    u"  C#\t.cs",
    u"  JavaScript, TypeScript\t.js .jsx .ts .tsx",
    u"  Python\t.py .pyw .pyi",
    u"  HTML, PHP, ASP\t.html .htm .php .asp .aspx",
    u"  XML\t.xml .xaml .svg .xsl .xslt .xsd",
    u"  CSS\t.css .scss .less",
    u"  Batch files\t.bat .cmd",
    u"  Markdown\t.md .markdown",
    u"SQL (.sql), Lua (.lua) and JSON (.json, .jsonc) files are recognised but shown in the plain text "
    u"colours.",
    u"",
    u"##Colour Scheme",
    u"Each theme has six syntax colours:",
    u"  Keywords\tin bold, such as return, class or def",
    u"  Comments\tin italics",
    u"  Strings\ttexts in quotes and characters",
    u"  Numbers\tnumbers, and entities such as &amp; in HTML",
    u"  Preprocessor\t#include lines, Python decorators and function names, HTML attributes, CSS classes",
    u"  Operators\toperators and punctuation",
    u"",
    u"##How It Works",
    u"When a file is opened Norvo creates the lexer for its extension, gives it the keyword lists and sets "
    u"the colours of the current theme. The lexer then colours the text as it is shown and as you type. A "
    u"change of theme recolours the text at once.",
    u"",
    u"##Markdown Support",
    u"In Markdown files the headings, bold and italic text, list markers, quotes, links, rules and code are "
    u"coloured; code has a slightly lighter background in dark themes and a slightly darker one in light "
    u"themes. For the rendered document use MD Preview.",
    u"",
    u"##Customising Colours",
    u"The colours belong to the themes and cannot be changed one by one: choose another theme from the "
    u"right-click menu to get other colours.",
    u"",
    u"##Performance",
    u"The text is coloured as it comes into view, so even large files open quickly. An export colours the "
    u"whole document first, which takes longer for very large files.",
    u"",
    u"##Limitations",
    u"  - The language comes from the extension alone, and cannot be chosen by hand.",
    u"  - C, C++, C#, JavaScript and TypeScript share the keyword list of C and C++, so words such as "
    u"function or let are not marked as keywords.",
    u"  - Scripts and style sheets inside HTML pages are not coloured.",
    u"  - SQL, Lua and JSON are not coloured.",
    u"",
    u"##Technical Details",
    u"Norvo loads Scintilla.dll (the editing component) and lexilla.dll (the lexers) from its own folder "
    u"when it starts, and creates the lexers by name: cpp, python, hypertext, xml, css, batch, markdown, "
    u"sql, lua and json. The colours are set per style number of each lexer from the palette of the theme.",
    nullptr,
};
