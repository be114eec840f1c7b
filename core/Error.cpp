#include "core/Error.h"

namespace velmora {

std::string ErrorText(std::string_view className, std::string_view operation, std::string_view text) {
  std::string s;
  s.reserve(className.size() + operation.size() + text.size() + 9);
  s.append(className).append(".").append(operation).append(" error: ").append(text);
  return s;
}

void RaiseError(std::string_view className, std::string_view operation, std::string_view text) {
  throw Error(ErrorText(className, operation, text));
}

void RaiseMessage(const std::string& message) { throw Error(message); }

}  // namespace velmora
