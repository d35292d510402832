#pragma once
#include "core/platform/text_codec.h"

namespace horalux {

// Code page 932 through the OS converter.
class WinTextCodec : public TextCodec {
 public:
  std::string to_ansi(const std::string& utf8) override;
  std::string from_ansi(const std::string& ansi) override;
};

}  // namespace horalux
