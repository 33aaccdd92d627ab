// The recovery copy of an unsaved document: its file format (docs/recovery-format.md), the
// names of the copies in the recovery folder and the texts of the start-up questions.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings.h"

// What a copy says about its document besides the text.
struct RecoveryMeta {
  std::u16string path;       // empty: untitled
  int32_t encoding = 1;      // TextEncoding value
  int32_t eolMode = 0;       // SC_EOL_* value
  uint64_t copiedAt = 0;     // when the copy was taken: FILETIME, UTC
  uint64_t fileWritten = 0;  // the file's last-write FILETIME when the copy was taken; 0: no file
};

constexpr uint32_t kRecoveryFormatVersion = 1;
constexpr size_t kRecoveryTrailerSize = 4;

// The bytes before the text; the text follows, then the trailer.
std::string RecoveryHeader(const RecoveryMeta& meta, uint64_t textSize);
// The running CRC-32 of a copy's bytes (start with 0); any length.
uint32_t RecoveryChecksum(uint32_t crc, std::string_view bytes);
// The 4 bytes that end a copy: the CRC-32 of everything before them, little-endian.
std::string RecoveryTrailer(uint32_t checksum);
// A whole copy in memory.
std::string BuildRecoveryFile(const RecoveryMeta& meta, std::string_view text);

enum class RecoveryRead {
  Ok,
  NotACopy,       // no copy's signature: not ours, left alone
  NewerVersion,   // written by a later Norvo: left alone
  Damaged,        // cut short, inconsistent or a bad checksum: never loaded
};
// Reads a copy; `text` points into `bytes`. Only an Ok result fills `meta` and `text`.
RecoveryRead ReadRecoveryFile(std::string_view bytes, RecoveryMeta* meta, std::string_view* text);

// Names in the recovery folder. A running instance's copy is "<id>.nrc"; copies an instance
// took over at start are "<id>.<n>.nrc"; the owner is the part before the first dot.
std::u16string RecoveryCopyName(std::u16string_view instanceId);
std::u16string ClaimedCopyName(std::u16string_view instanceId, unsigned number);
bool IsRecoveryCopyName(std::u16string_view fileName);
std::u16string OwnerOfCopy(std::u16string_view fileName);
// The copy's name with another ending for one kept aside ("old" after No, "damaged").
std::u16string KeptAsideName(std::u16string_view fileName, std::u16string_view ending);
// "*.old" copies and the writer's leftover "*.tmp" files last written more than seven days
// before `now` (seconds).
bool IsExpiredRecoveryFile(std::u16string_view fileName, int64_t lastWriteSeconds, int64_t nowSeconds);

// Whether the document's file is as the copy knew it.
enum class FileSince { Unchanged, Changed, Gone, Untitled };
std::u16string RecoveryQuestionText(std::u16string_view path, const LocalTime& copiedAt, FileSince file);
std::u16string DamagedCopyText(std::u16string_view keptAs);
