#include "document/recovery_format.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>

#include "common/utf.h"
#include "ui/ui_logic.h"

namespace {
constexpr char kSignature[8] = {'N', 'O', 'R', 'V', 'O', 'R', 'E', 'C'};
// Signature, version, header size, encoding, line ends, two times, text size, path size.
constexpr size_t kFixedHeader = 8 + 4 + 4 + 4 + 4 + 8 + 8 + 8 + 4;
constexpr int64_t kKeepSeconds = 7 * 24 * 60 * 60;

void Put(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint64_t Get(std::string_view bytes, size_t at, int count) {
  uint64_t value = 0;
  for (int i = 0; i < count; ++i) value |= uint64_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
  return value;
}

bool EndsWith(std::u16string_view s, std::u16string_view end) {
  return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}
}  // namespace

std::string RecoveryHeader(const RecoveryMeta& meta, uint64_t textSize) {
  const std::string path = Utf16ToUtf8(meta.path);
  std::string out(kSignature, sizeof kSignature);
  Put(out, kRecoveryFormatVersion, 4);
  Put(out, kFixedHeader + path.size(), 4);
  Put(out, static_cast<uint32_t>(meta.encoding), 4);
  Put(out, static_cast<uint32_t>(meta.eolMode), 4);
  Put(out, meta.copiedAt, 8);
  Put(out, meta.fileWritten, 8);
  Put(out, textSize, 8);
  Put(out, path.size(), 4);
  out += path;
  return out;
}

uint32_t RecoveryChecksum(uint32_t crc, std::string_view bytes) {
  uLong value = crc;
  while (!bytes.empty()) {
    const size_t piece = std::min<size_t>(bytes.size(), 1u << 30);
    value = crc32(value, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(piece));
    bytes.remove_prefix(piece);
  }
  return static_cast<uint32_t>(value);
}

std::string RecoveryTrailer(uint32_t checksum) {
  std::string out;
  Put(out, checksum, 4);
  return out;
}

std::string BuildRecoveryFile(const RecoveryMeta& meta, std::string_view text) {
  std::string out = RecoveryHeader(meta, text.size());
  out += text;
  out += RecoveryTrailer(RecoveryChecksum(0, out));
  return out;
}

RecoveryRead ReadRecoveryFile(std::string_view bytes, RecoveryMeta* meta, std::string_view* text) {
  if (bytes.size() < sizeof kSignature || bytes.substr(0, sizeof kSignature) != std::string_view(kSignature, 8))
    return RecoveryRead::NotACopy;
  if (bytes.size() < 12) return RecoveryRead::Damaged;
  const uint64_t version = Get(bytes, 8, 4);
  if (version > kRecoveryFormatVersion) return RecoveryRead::NewerVersion;
  if (version == 0 || bytes.size() < kFixedHeader + kRecoveryTrailerSize) return RecoveryRead::Damaged;
  const uint64_t headerSize = Get(bytes, 12, 4), textSize = Get(bytes, 40, 8), pathSize = Get(bytes, 48, 4);
  const uint64_t body = bytes.size() - kRecoveryTrailerSize;
  // Each size is checked against what is left, so no sum can overflow.
  if (headerSize != kFixedHeader + pathSize || headerSize > body || textSize != body - headerSize)
    return RecoveryRead::Damaged;
  if (RecoveryChecksum(0, bytes.substr(0, body)) != Get(bytes, body, 4)) return RecoveryRead::Damaged;
  const int32_t encoding = static_cast<int32_t>(Get(bytes, 16, 4)), eol = static_cast<int32_t>(Get(bytes, 20, 4));
  if (encoding < 0 || encoding > 4 || eol < 0 || eol > 2) return RecoveryRead::Damaged;
  meta->path = Utf8ToUtf16(bytes.substr(kFixedHeader, pathSize));
  meta->encoding = encoding;
  meta->eolMode = eol;
  meta->copiedAt = Get(bytes, 24, 8);
  meta->fileWritten = Get(bytes, 32, 8);
  *text = bytes.substr(headerSize, textSize);
  return RecoveryRead::Ok;
}

std::u16string RecoveryCopyName(std::u16string_view instanceId) {
  return std::u16string(instanceId) + u".nrc";
}

std::u16string ClaimedCopyName(std::u16string_view instanceId, unsigned number) {
  return std::u16string(instanceId) + u"." + DecimalText(number) + u".nrc";
}

bool IsRecoveryCopyName(std::u16string_view fileName) {
  return fileName.size() > 4 && fileName.front() != u'.' && EndsWith(fileName, u".nrc");
}

std::u16string OwnerOfCopy(std::u16string_view fileName) {
  return std::u16string(fileName.substr(0, fileName.find(u'.')));
}

std::u16string KeptAsideName(std::u16string_view fileName, std::u16string_view ending) {
  std::u16string_view stem = EndsWith(fileName, u".nrc") ? fileName.substr(0, fileName.size() - 4) : fileName;
  return std::u16string(stem) + u"." + std::u16string(ending);
}

bool IsExpiredRecoveryFile(std::u16string_view fileName, int64_t lastWriteSeconds, int64_t nowSeconds) {
  return (EndsWith(fileName, u".old") || EndsWith(fileName, u".tmp")) && nowSeconds - lastWriteSeconds > kKeepSeconds;
}

std::u16string RecoveryQuestionText(std::u16string_view path, const LocalTime& t, FileSince file) {
  char when[40];
  std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
  std::u16string text = u"Norvo found unsaved text from a session that ended unexpectedly:\n\n" +
                        GetDisplayName(path) + u"  (" + Utf8ToUtf16(when) + u")\n\n";
  if (file == FileSince::Changed) text += u"The file has changed on disk since then.\n\n";
  if (file == FileSince::Gone) text += u"The file is no longer on disk.\n\n";
  return text + u"Restore it?";
}

std::u16string DamagedCopyText(std::u16string_view keptAs) {
  return u"Norvo found unsaved text from a session that ended unexpectedly, but its recovery copy is damaged "
         u"and cannot be restored.\n\nThe copy was kept aside as:\n" +
         std::u16string(keptAs);
}
