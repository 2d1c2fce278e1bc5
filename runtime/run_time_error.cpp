#include "runtime/run_time_error.h"

#include <utility>

namespace rt {

RunTimeError::RunTimeError(ErrorKind kind, std::string message)
    : std::runtime_error(std::move(message)), kind_(kind) {}

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
