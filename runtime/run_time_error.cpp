#include "runtime/run_time_error.h"

namespace rt {

RunTimeError::RunTimeError(ErrorKind kind, const std::string& message)
    : std::runtime_error(message), kind_(kind) {}

void RaiseOverflow() {
  throw RunTimeError(ErrorKind::kOverflow, "overflow");
}

void RaiseFloatFault() {
  throw RunTimeError(ErrorKind::kFloatFault, "floating-point fault");
}

void RaisePropertyError(const std::string& object, const char* member, const char* reason) {
  throw RunTimeError(ErrorKind::kPropertyCall, object + "." + member + ": " + reason);
}

}  // namespace rt
