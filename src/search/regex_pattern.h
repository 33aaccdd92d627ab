// Patterns in the ECMAScript grammar, read as the standard library reads them, rewritten for
// PCRE2 so that it matches the same way.
#pragma once
#include <optional>
#include <string>
#include <string_view>

// The PCRE2 form of an ECMAScript pattern, or nothing for syntax the grammar does not have
// (PCRE2's inline options, verbs, atomic groups, possessive quantifiers and its own escapes).
// The rewritten pattern is meant for PCRE2_ALT_BSUX, PCRE2_ALLOW_EMPTY_CLASS and
// PCRE2_MATCH_UNSET_BACKREF; it does not depend on PCRE2's newline convention.
std::optional<std::u16string> TranslateEcmaPattern(std::u16string_view pattern);
