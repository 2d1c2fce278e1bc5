// Checked arithmetic for handlers: results that leave their type raise a run-time error
// instead of wrapping or turning into infinities.
#pragma once

#include <cstdint>
#include <limits>

#include "runtime/run_time_error.h"
#include "runtime/types.h"

namespace rt {

// `value + 1`, or the overflow error (with nothing changed) at the type's maximum.
inline std::int64_t CheckedIncrement(std::int64_t value) {
  if (value == std::numeric_limits<std::int64_t>::max()) {
    RaiseOverflow();
  }
  return value + 1;
}

// Rounds a result to single precision for storing in a property, raising the floating-point
// error if it is invalid or overflows. Properties only ever hold finite values, so a result
// computed from them is NaN exactly when the operation was invalid and infinite exactly when
// it overflowed; no floating-point environment flags need to be trusted across the compiler.
Twips ToSingle(double result);

}  // namespace rt
