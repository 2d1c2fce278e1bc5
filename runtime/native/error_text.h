// What an errno value means, in words, safely from any thread (unlike strerror).
#pragma once

#include <string>
#include <system_error>

namespace rt {

inline std::string ErrorText(int error) {
  return std::generic_category().message(error);
}

}  // namespace rt
