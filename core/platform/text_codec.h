#pragma once
#include <string>

namespace horalux {

// The ANSI code page of the files the program reads and writes (932).
class TextCodec {
 public:
  virtual ~TextCodec() = default;
  virtual std::string to_ansi(const std::string& utf8) = 0;
  virtual std::string from_ansi(const std::string& ansi) = 0;
};

}  // namespace horalux
