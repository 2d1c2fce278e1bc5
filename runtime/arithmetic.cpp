#include "runtime/arithmetic.h"

#include <cmath>

namespace rt {

Twips ToSingle(double result) {
  const auto single = static_cast<float>(result);
  if (!std::isfinite(single)) {
    RaiseFloatFault();
  }
  return single;
}

}  // namespace rt
