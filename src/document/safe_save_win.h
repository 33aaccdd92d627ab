// Writing a document's bytes over its file so that a failure at any point (a full disk, a
// share that drops, a quota) leaves the file on disk exactly as it was.
#pragma once
#include <string>
#include <string_view>

#include "common/handles_win.h"
#include "common/win.h"

// The bytes of a save: the optional UTF-8 mark followed by the text, without a copy.
struct SaveBytes {
  std::string_view mark;
  std::string_view text;
  size_t size() const { return mark.size() + text.size(); }
};

// Opens a document's file the way a loaded document holds it: reading and writing, others
// may read but not write. An invalid handle when it cannot.
HANDLE OpenLocked(const std::u16string& path);

// Makes `bytes` the content of the file at `path`, created when it does not exist.
// The bytes are written to a temporary file beside it and flushed; only then does that
// file take the place of the old one, which keeps its attributes, security and creation
// time. Where no file can be created beside it, the file is written in place, but first
// grown to its new length, so that a full disk fails before an old byte is overwritten.
// `lock` is the handle that holds the file open, if any: it is released just for the
// replace and taken again at once after it (also when the replace fails); after a success
// it holds the written file (or nothing when it cannot be opened again).
// On failure the file is as it was and no temporary file is left behind.
bool WriteFileSafely(const std::u16string& path, SaveBytes bytes, UniqueHandle& lock);
