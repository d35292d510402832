#pragma once
#include <stdexcept>
#include <string>

namespace horalux {

// Failures of the network components; what() is the message in UTF-8.
class EIdException : public std::runtime_error {
 public:
  explicit EIdException(const std::string& message) : std::runtime_error(message) {}
};

// Failures of a socket handle's own checks.
class EIdSocketHandleError : public EIdException {
 public:
  using EIdException::EIdException;
};

class EIdPackageSizeTooBig : public EIdSocketHandleError {
 public:
  EIdPackageSizeTooBig() : EIdSocketHandleError("Package Size Too Big.") {}
};

class EIdNotAllBytesSent : public EIdSocketHandleError {
 public:
  EIdNotAllBytesSent() : EIdSocketHandleError("Not all bytes sent.") {}
};

class EIdInvalidSocket : public EIdException {
 public:
  EIdInvalidSocket() : EIdException("Cannot allocate socket.") {}
};

// A failed socket call, with its Windows Sockets error number.
class EIdSocketError : public EIdException {
 public:
  explicit EIdSocketError(int last_error);
  int LastError() const { return last_error_; }

 private:
  int last_error_;
};

// The one-line English description of a Windows Sockets error number in
// 10004..10066; empty for any other number.
std::string SocketErrorDescription(int error);

}  // namespace horalux
