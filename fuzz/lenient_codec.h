#pragma once
#include <iconv.h>

#include <string>

#include "core/platform/text_codec.h"

namespace horalux::fuzz {

// Code page 932 as the Windows conversion calls do it without their strict
// flag: a byte sequence the code page does not define reads as "・", and a
// character it cannot spell is written "?". Conversion never fails, so what
// the program gets is what a real run would get from any file.
class LenientCodec : public TextCodec {
 public:
  LenientCodec();
  ~LenientCodec() override;
  LenientCodec(const LenientCodec&) = delete;
  LenientCodec& operator=(const LenientCodec&) = delete;

  std::string to_ansi(const std::string& utf8) override;
  std::string from_ansi(const std::string& ansi) override;

 private:
  iconv_t to_ansi_;
  iconv_t from_ansi_;
};

}  // namespace horalux::fuzz
