// The topic list and the texts of the first five topics.
#include "help/help_topics.h"

const HelpTopic kHelpTopics[kHelpTopicCount] = {
    {u"Getting started", kHelpGettingStarted},
    {u"Keyboard shortcuts", kHelpKeyboardShortcuts},
    {u"Themes", kHelpThemes},
    {u"File formats", kHelpFileFormats},
    {u"Export & Print", kHelpExportPrint},
    {u"MD Preview", kHelpMarkdownPreview},
    {u"Regular Expressions", kHelpRegularExpressions},
    {u"Syntax Highlighting", kHelpSyntaxHighlighting},
    {u"Known limitations", kHelpKnownLimitations},
    {u"About Norvo", kHelpAbout},
};

const char16_t* const kHelpGettingStarted[] = {
    u"##Welcome to Norvo Editor",
    u"Norvo is a fast editor for text files and source code. It edits one file at a time, colours source "
    u"code by the file's extension and keeps the open file locked, so that no other program can change it "
    u"while you work on it.",
    u"",
    u"##Key Capabilities",
    u"  - Six colour themes, and window transparency from 0 to 50 %.",
    u"  - Syntax highlighting for C, C++, C#, JavaScript, TypeScript, Python, HTML, XML, CSS, batch files "
    u"and Markdown.",
    u"  - Find & Replace with match case, whole word, preserve case, replace in selection and highlight all.",
    u"  - Regex Search, which works through large documents in the background, lists the results in three "
    u"formats and keeps a log of every search session.",
    u"  - Export to HTML, RTF, plain text and PDF; printing with its own print preview and page setup.",
    u"  - Markdown preview as a themed web page in your browser.",
    u"  - Recent files, questions before unsaved changes are lost, and a warning when the open file has "
    u"been moved or deleted on disk.",
    u"",
    u"##Usage Tips",
    u"  - Open a file with Ctrl+O or the Open button, by dropping it on the window, or from Recent Files in "
    u"the right-click menu. When Norvo starts, it opens the file you had open last.",
    u"  - Right-click in the text for the menu: editing, Find & Replace, Regex Search, line numbers and word "
    u"wrap (View), printing, Markdown preview, themes, transparency, saving and the recent files.",
    u"  - The toolbar has New, Open, Save, Export and Help.",
    u"  - The status bar shows the line and column, the length of the selection, the encoding, the line "
    u"ends and the zoom. Hold Ctrl and turn the mouse wheel to zoom the text.",
    u"  - The title bar shows the file name, followed by an asterisk while there are unsaved changes.",
    u"  - A document too large for an export or a preview can be opened read-only in a separate viewer "
    u"window instead; Norvo asks before it does so.",
    u"  - Unsaved text survives a crash or a power cut: while a document has unsaved changes, Norvo keeps "
    u"a recovery copy of it in %APPDATA%\\Norvo\\recovery, written about two seconds after you stop typing "
    u"and at least every thirty seconds while you type. The copy is removed when you save, choose Don't "
    u"Save, or close normally. If Norvo ends unexpectedly, it asks at the next start whether to restore "
    u"each unsaved text; Yes opens it as a modified document under its original name, and the file on "
    u"disk stays as it was until you save. No keeps the copy as a file ending in .old for seven days.",
    u"",
    u"##Explore Further",
    u"Choose a topic on the left. In this window the Up and Down (or Left and Right) arrow keys move "
    u"between topics, Page Up and Page Down scroll, and Escape closes it.",
    nullptr,
};

const char16_t* const kHelpKeyboardShortcuts[] = {
    u"##File",
    u"  Ctrl+N\tNew file",
    u"  Ctrl+O\tOpen file",
    u"  Ctrl+S\tSave",
    u"  Ctrl+Shift+S\tSave as",
    u"",
    u"##Edit",
    u"  Ctrl+Z\tUndo",
    u"  Ctrl+Y\tRedo",
    u"  Ctrl+X\tCut",
    u"  Ctrl+C\tCopy",
    u"  Ctrl+V\tPaste",
    u"  Ctrl+A\tSelect all",
    u"",
    u"##Find & Replace",
    u"  Ctrl+F\tFind / Replace",
    u"  Ctrl+H\tFind / Replace (alternative)",
    u"",
    u"##Regex Search",
    u"  Ctrl+Shift+H\tRegex Search dialog",
    u"",
    u"##Font",
    u"  Ctrl+Shift+F\tFont dialog",
    u"",
    u"##Print",
    u"  Ctrl+P\tPrint",
    nullptr,
};

const char16_t* const kHelpThemes[] = {
    u"##Themes",
    u"Norvo has six colour themes: Norvo Dark, Norvo Light, Azure, Green, Night and Sepia. Norvo Dark and "
    u"Night are dark themes; the other four are light.",
    u"",
    u"To change the theme, right-click in the text and choose Theme, or press Settings on the toolbar and "
    u"pick it in the Theme list. The theme colours the text area, the "
    u"line-number margin, the toolbar, the status bar, the menus, the dialogs and this Help window, and it "
    u"brings its own six colours for keywords, comments, strings, numbers, preprocessor lines and "
    u"operators. With a dark theme the title bar of the main window is dark too.",
    u"",
    u"Transparency: right-click and choose Transparency to let the desktop show through the main window "
    u"by 10, 20, 30, 40 or 50 %, or 0 % to make it opaque again. The Settings dialog takes any value from 0 "
    u"to 50, together with the font, line numbers, word wrap and auto-save; nothing changes until OK.",
    u"",
    u"##Persistence",
    u"The theme and the transparency are saved as soon as you choose them, in the file norvo.cfg in the "
    u"Norvo folder of your application data (%APPDATA%\\Norvo), and Norvo starts with them next time. "
    u"Word wrap and line numbers are saved when Norvo closes. The same file keeps the window's place and "
    u"size, the recent files, the search options and histories, and the size of this window with the "
    u"topic you read last.",
    nullptr,
};

const char16_t* const kHelpFileFormats[] = {
    u"##Encoding detection",
    u"Norvo reads the first bytes of a file to find its encoding:",
    u"  EF BB BF\tUTF-8 with a byte-order mark",
    u"  FF FE\tUTF-16, little-endian",
    u"  FE FF\tUTF-16, big-endian",
    u"A file without a byte-order mark is read as UTF-8. The status bar shows the encoding found.",
    u"",
    u"Before that Norvo makes sure the file is text: a file that does not start with a UTF-16 mark and has "
    u"three or more zero bytes among its first 1024 bytes is refused as a binary file.",
    u"",
    u"Norvo always saves UTF-8. A file that came with the UTF-8 byte-order mark keeps it; a UTF-16 file is "
    u"saved as UTF-8 without a mark.",
    u"",
    u"##Line endings",
    u"The line ends are recognised when a file is opened: a file with both carriage returns and line feeds "
    u"counts as Windows (CRLF), one with carriage returns only as classic Mac (CR), and one with line feeds "
    u"only as Unix (LF). The status bar shows CRLF, CR or LF. New lines you type get that line end; the "
    u"existing ones are saved as they are.",
    u"",
    u"##Syntax highlighting",
    u"The language is chosen from the file's extension when the file is opened or saved under a new name; "
    u"see the topic Syntax Highlighting for the list. Files with other extensions are shown as plain text.",
    nullptr,
};

const char16_t* const kHelpExportPrint[] = {
    u"##PDF export",
    u"Choose Export on the toolbar and then PDF Document. The pages are A4, printed through Windows' "
    u"Microsoft Print to PDF printer when it is installed; otherwise Norvo writes the PDF itself, with the "
    u"editor's font embedded. Either way the text can be selected, searched and copied in any PDF reader. "
    u"The pages keep the syntax colours (light colours are darkened for white paper), bold and italic; "
    u"long lines are wrapped at blanks, and every page has its number centred at the bottom. A progress "
    u"window counts the pages; Cancel stops the export, and an earlier file of the same name stays as it "
    u"was.",
    u"",
    u"A Markdown (.md) document is typeset instead of printed as source: headings in larger bold type, "
    u"bulleted and numbered items, quotes with a bar, rules, and bold, italic and code spans.",
    u"",
    u"The PDF export takes documents of up to 10,000 lines (30,000 for Markdown). For a larger document "
    u"Norvo offers to open it read-only in the viewer instead. Above 1 MB of source it tells you roughly "
    u"how many pages to expect and asks before it starts.",
    u"",
    u"##HTML export",
    u"Writes a web page of the document in the editor's colours, with the line numbers beside the code. It "
    u"takes up to 20,000 lines. A Markdown document is written as a rendered page instead (see MD Preview), "
    u"up to 30,000 lines. When the page is written, Norvo offers to open it in your browser.",
    u"",
    u"##RTF export",
    u"Writes Rich Text Format for word processors, with the editor's colours, bold and italic in the "
    u"editor's font. With a dark theme, light text colours are darkened so that the text can be read on "
    u"white paper. It takes up to 50,000 lines.",
    u"",
    u"The fourth format, Plain Text, writes the document as UTF-8 and has no size limit.",
    u"",
    u"##Print Preview",
    u"Right-click, then Print and Print Preview. The pages are laid out in the background behind a progress "
    u"window and then shown one at a time: black text in the editor's font, word-wrapped between the page "
    u"margins, with the page number at the bottom. Syntax colours are not printed. Turn pages with the Prev "
    u"and Next buttons, Page Up and Page Down, or the Left and Right arrow keys; Print prints the document "
    u"and Close or Escape closes the preview.",
    u"",
    u"Print (Ctrl+P) asks for a printer in the system's print dialog and prints the same pages.",
    u"",
    u"##Page Setup",
    u"Right-click, then Print and Page Setup, to set the four page margins (15 mm each at first) and the "
    u"paper size. They are saved and used by the next preview and the next print. The printer chosen there "
    u"is not remembered.",
    nullptr,
};
