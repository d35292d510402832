#pragma once
#include <optional>
#include <string>
#include <vector>

#include "core/platform/files.h"
#include "core/platform/text_codec.h"

namespace horalux {

// A profile (ini) file in the ANSI code page with CR LF lines, read and
// written the way the Windows profile calls do: section and key names
// compare without regard to case, the first matching section and key win,
// each key is written in place and every other line stays as it was.
//
// Each call opens, reads (and for a write, rewrites) and closes the file;
// nothing stays open between calls.
class IniFile {
 public:
  IniFile(Files& files, TextCodec& codec, std::string path);

  const std::string& FileName() const { return path_; }

  // The value of the key, or the default when the file, the section or the
  // key is missing or the file cannot be read. Blanks around the value and
  // one pair of matching quotes are removed; at most 2047 characters.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& default_value);
  // Decimal, or hexadecimal after "0x"/"0X"; the default for anything else.
  int ReadInteger(const std::string& section, const std::string& key, int default_value);
  // Any non-zero integer is true.
  bool ReadBool(const std::string& section, const std::string& key, bool default_value);

  // Writes one key in place; false when the file could not be written, in
  // which case the file on disk is exactly as it was before the call.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);
  bool WriteInteger(const std::string& section, const std::string& key, int value);
  // Written "1" or "0".
  bool WriteBool(const std::string& section, const std::string& key, bool value);

  // The longest text a read returns, in UTF-16 units as the Windows call counts.
  static constexpr std::size_t kMaxValueLength = 2047;

 private:
  // The file's lines in UTF-8; empty when it does not exist. Nothing when
  // it exists but cannot be read or decoded.
  std::optional<std::vector<std::string>> LoadLines();
  std::optional<std::string> FindValue(const std::string& section, const std::string& key);

  Files& files_;
  TextCodec& codec_;
  std::string path_;
};

}  // namespace horalux
