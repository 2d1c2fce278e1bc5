// Run-time errors: the one way a handler's failure reaches the user.
//
// A handler never catches these. The runtime catches one at the edge of the handler that raised
// it, reports it (naming the handler) and ends the program with status 1. Because they are
// exceptions, every temporary a handler holds is released on the way out.
#pragma once

#include <stdexcept>
#include <string>

namespace rt {

enum class ErrorKind {
  kOverflow,      // integer arithmetic left its type's range
  kFloatFault,    // a floating-point result was invalid or overflowed
  kPropertyCall,  // a property call on a control failed
};

class RunTimeError : public std::runtime_error {
 public:
  RunTimeError(ErrorKind kind, const std::string& message);
  ErrorKind kind() const { return kind_; }

 private:
  ErrorKind kind_;
};

[[noreturn]] void RaiseOverflow();
[[noreturn]] void RaiseFloatFault();

// Raises the error for a failed property call, as "Label1.Left: invalid value".
[[noreturn]] void RaisePropertyError(const std::string& object, const char* member,
                                     const char* reason);

}  // namespace rt
