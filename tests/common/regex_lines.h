// The session log's lines of a list of matches as one string, for comparing with expectations.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "search/regex_batch.h"

inline std::string RegexBatchLines(std::u16string_view text, const std::vector<RegexMatch>& matches,
                                   uint64_t batchNumber, uint32_t outputFormat) {
  std::string out;
  RegexLogLines lines([&out](std::string_view piece) { out += piece; });
  for (const RegexMatch& m : matches) lines.Add(text, m, batchNumber, outputFormat);
  lines.Flush();
  return out;
}
