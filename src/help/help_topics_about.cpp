// The texts of the topics on known limitations and about the program, with the licence
// notices that go with every copy of it.
#include <array>
#include <cstddef>

#include "common/version.h"
#include "help/help_topics.h"

namespace {
// "Version " followed by the program's version, joined at compile time.
template <size_t A, size_t B>
constexpr std::array<char16_t, A + B - 1> Join(const char16_t (&a)[A], const char16_t (&b)[B]) {
  std::array<char16_t, A + B - 1> out{};
  for (size_t i = 0; i + 1 < A; ++i) out[i] = a[i];
  for (size_t i = 0; i < B; ++i) out[A - 1 + i] = b[i];
  return out;
}
constexpr auto kVersionLine = Join(u"Version ", kNorvoVersion);
}  // namespace

const char16_t* const kHelpKnownLimitations[] = {
    u"##Known limitations",
    u"Norvo edits one document per window; start Norvo again for a second one.",
    u"",
    u"##Large files",
    u"  - Files of 4 GiB or more are refused with \"Cannot get file size.\" The whole file is held in "
    u"memory while it is open.",
    u"  - Exports have line limits: PDF 10,000 lines, HTML 20,000, RTF 50,000; Markdown pages and Markdown "
    u"PDF 30,000. Above a limit Norvo offers to open the document read-only in the viewer instead. Plain "
    u"text export has no limit.",
    u"  - Regex Find All stops at Max matches (10000 at first); Find More continues.",
    u"",
    u"##Syntax highlighting scope",
    u"  - The language is chosen by the file extension only.",
    u"  - SQL, Lua and JSON files are recognised but not coloured, and neither are scripts and style sheets "
    u"inside HTML pages.",
    u"  - JavaScript, TypeScript and C# use the keyword list of C and C++.",
    u"",
    u"##UTF-16 save",
    u"Norvo always saves UTF-8. A file opened as UTF-16 is written back as UTF-8 without a byte-order mark, "
    u"so a program that expects UTF-16 has to be told about the new encoding. A file without a byte-order "
    u"mark is read as UTF-8, so accented letters of a file in an older 8-bit code page are shown wrongly.",
    nullptr,
};

const char16_t* const kHelpAbout[] = {
    u"##Norvo Editor",
    kVersionLine.data(),
    u"A text and source-code editor for Windows, built on the Scintilla editing component and the Lexilla "
    u"lexers.",
    u"",
    u"##Licence",
    u"Norvo is distributed under the MIT licence:",
    u"",
    u"Copyright (c) 2026 the Norvo developers",
    u"",
    u"Permission is hereby granted, free of charge, to any person obtaining a copy of this software and "
    u"associated documentation files (the \"Software\"), to deal in the Software without restriction, "
    u"including without limitation the rights to use, copy, modify, merge, publish, distribute, "
    u"sublicense, and/or sell copies of the Software, and to permit persons to whom the Software is "
    u"furnished to do so, subject to the following conditions:",
    u"",
    u"The above copyright notice and this permission notice shall be included in all copies or "
    u"substantial portions of the Software.",
    u"",
    u"THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, INCLUDING BUT "
    u"NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND "
    u"NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES "
    u"OR OTHER LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM, OUT OF OR IN "
    u"CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE SOFTWARE.",
    u"",
    u"##Acknowledgements",
    u"Norvo is built with Scintilla, Lexilla and PCRE2. Their copyright and permission notices follow, as "
    u"their licences ask.",
    u"",
    u"Scintilla and Lexilla",
    u"License for Lexilla, Scintilla, and SciTE",
    u"Copyright 1998-2021 by Neil Hodgson <neilh@scintilla.org>",
    u"All Rights Reserved",
    u"Permission to use, copy, modify, and distribute this software and its documentation for any purpose "
    u"and without fee is hereby granted, provided that the above copyright notice appear in all copies and "
    u"that both that copyright notice and this permission notice appear in supporting documentation.",
    u"NEIL HODGSON DISCLAIMS ALL WARRANTIES WITH REGARD TO THIS SOFTWARE, INCLUDING ALL IMPLIED WARRANTIES "
    u"OF MERCHANTABILITY AND FITNESS, IN NO EVENT SHALL NEIL HODGSON BE LIABLE FOR ANY SPECIAL, INDIRECT OR "
    u"CONSEQUENTIAL DAMAGES OR ANY DAMAGES WHATSOEVER RESULTING FROM LOSS OF USE, DATA OR PROFITS, WHETHER "
    u"IN AN ACTION OF CONTRACT, NEGLIGENCE OR OTHER TORTIOUS ACTION, ARISING OUT OF OR IN CONNECTION WITH "
    u"THE USE OR PERFORMANCE OF THIS SOFTWARE.",
    u"",
    u"PCRE2",
    u"Copyright 1997-2022 University of Cambridge.",
    u"Redistribution and use in source and binary forms, with or without modification, are permitted "
    u"provided that the following conditions are met:",
    u"  - Redistributions of source code must retain the above copyright notice, this list of conditions "
    u"and the following disclaimer.",
    u"  - Redistributions in binary form must reproduce the above copyright notice, this list of conditions "
    u"and the following disclaimer in the documentation and/or other materials provided with the "
    u"distribution.",
    u"  - Neither the name of the University of Cambridge nor the names of any contributors may be used to "
    u"endorse or promote products derived from this software without specific prior written permission.",
    u"THIS SOFTWARE IS PROVIDED BY THE COPYRIGHT HOLDERS AND CONTRIBUTORS \"AS IS\" AND ANY EXPRESS OR "
    u"IMPLIED WARRANTIES, INCLUDING, BUT NOT LIMITED TO, THE IMPLIED WARRANTIES OF MERCHANTABILITY AND "
    u"FITNESS FOR A PARTICULAR PURPOSE ARE DISCLAIMED. IN NO EVENT SHALL THE COPYRIGHT OWNER OR "
    u"CONTRIBUTORS BE LIABLE FOR ANY DIRECT, INDIRECT, INCIDENTAL, SPECIAL, EXEMPLARY, OR CONSEQUENTIAL "
    u"DAMAGES (INCLUDING, BUT NOT LIMITED TO, PROCUREMENT OF SUBSTITUTE GOODS OR SERVICES; LOSS OF USE, "
    u"DATA, OR PROFITS; OR BUSINESS INTERRUPTION) HOWEVER CAUSED AND ON ANY THEORY OF LIABILITY, WHETHER IN "
    u"CONTRACT, STRICT LIABILITY, OR TORT (INCLUDING NEGLIGENCE OR OTHERWISE) ARISING IN ANY WAY OUT OF THE "
    u"USE OF THIS SOFTWARE, EVEN IF ADVISED OF THE POSSIBILITY OF SUCH DAMAGE.",
    u"",
    u"The just-in-time compiler of PCRE2 (sljit)",
    u"Copyright Zoltan Herczeg (hzmester@freemail.hu). All rights reserved.",
    u"Redistribution and use in source and binary forms, with or without modification, are permitted "
    u"provided that the following conditions are met:",
    u"  1. Redistributions of source code must retain the above copyright notice, this list of conditions "
    u"and the following disclaimer.",
    u"  2. Redistributions in binary form must reproduce the above copyright notice, this list of "
    u"conditions and the following disclaimer in the documentation and/or other materials provided with "
    u"the distribution.",
    u"THIS SOFTWARE IS PROVIDED BY THE COPYRIGHT HOLDER(S) AND CONTRIBUTORS \"AS IS\" AND ANY EXPRESS OR "
    u"IMPLIED WARRANTIES, INCLUDING, BUT NOT LIMITED TO, THE IMPLIED WARRANTIES OF MERCHANTABILITY AND "
    u"FITNESS FOR A PARTICULAR PURPOSE ARE DISCLAIMED. IN NO EVENT SHALL THE COPYRIGHT HOLDER(S) OR "
    u"CONTRIBUTORS BE LIABLE FOR ANY DIRECT, INDIRECT, INCIDENTAL, SPECIAL, EXEMPLARY, OR CONSEQUENTIAL "
    u"DAMAGES (INCLUDING, BUT NOT LIMITED TO, PROCUREMENT OF SUBSTITUTE GOODS OR SERVICES; LOSS OF USE, "
    u"DATA, OR PROFITS; OR BUSINESS INTERRUPTION) HOWEVER CAUSED AND ON ANY THEORY OF LIABILITY, WHETHER IN "
    u"CONTRACT, STRICT LIABILITY, OR TORT (INCLUDING NEGLIGENCE OR OTHERWISE) ARISING IN ANY WAY OUT OF THE "
    u"USE OF THIS SOFTWARE, EVEN IF ADVISED OF THE POSSIBILITY OF SUCH DAMAGE.",
    nullptr,
};
