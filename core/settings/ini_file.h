#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/text_codec.h"

namespace horalux {

// A profile (ini) file held as its bytes, read and written the way the
// Windows profile calls do: section and key names compare without regard
// to case, the first matching section and key win, a missing key is added
// at the end of its section and a missing section at the end of the file.
// A write changes only the value of its key: every other byte stays as it
// was, even bytes the file's code page cannot decode.
//
// The text is in the ANSI code page (932); a file that starts with a UTF-16
// LE byte-order mark is UTF-16 LE, one that starts with a UTF-8 mark UTF-8.
class IniFile {
 public:
  // `bytes` is the whole file; empty for a missing file.
  IniFile(TextCodec& codec, const std::string& bytes);

  // The value of the key, or the default when the section or the key is
  // missing. Blanks around the value and one pair of matching quotes are
  // removed; at most 2047 characters.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& default_value) const;
  // Decimal, or hexadecimal after "0x"/"0X"; the default for anything else.
  int ReadInteger(const std::string& section, const std::string& key, int default_value) const;
  // Any non-zero integer is true.
  bool ReadBool(const std::string& section, const std::string& key, bool default_value) const;

  // False, changing nothing, when the value cannot be spelled in the file's
  // code page.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);
  bool WriteInteger(const std::string& section, const std::string& key, int value);
  // Written "1" or "0".
  bool WriteBool(const std::string& section, const std::string& key, bool value);

  // The whole file as it now stands.
  std::string Bytes() const;

  // The longest text a read returns, in UTF-16 units as the Windows call counts.
  static constexpr std::size_t kMaxValueLength = 2047;

 private:
  enum class Encoding { kAnsi, kUtf8, kUtf16Le };
  // One unit per byte, or per UTF-16 code unit in a UTF-16 file, so that
  // one scan serves every encoding.
  using Units = std::u16string;
  struct Span {
    std::size_t header;          // line of the section header
    std::size_t end_of_content;  // one past its last line that is not blank
  };

  std::optional<Span> FindSection(const std::string& section) const;
  std::optional<std::size_t> FindKey(const Span& span, const std::string& key) const;
  std::optional<std::string> FindValue(const std::string& section, const std::string& key) const;
  // Where the value of a key line starts and ends (blanks around it excluded).
  std::pair<std::size_t, std::size_t> ValueBounds(const Units& line) const;
  std::optional<std::string> Decode(const Units& units) const;
  std::optional<Units> Encode(const std::string& utf8) const;
  void InsertLine(std::size_t at, const Units& content);

  TextCodec& codec_;
  Encoding encoding_ = Encoding::kAnsi;
  std::string mark_;          // the byte-order mark, as it was
  std::vector<Units> lines_;  // each with its own line break, if it has one
  std::string odd_byte_;      // a last byte of a UTF-16 file that pairs with nothing
};

}  // namespace horalux
