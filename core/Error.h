// Errors of the whole program.
//
// Every failure is an exception whose message names the class and the
// operation first: "TGLTexture.SetWidth error: Width is not power 2".
// Only a handful of operations (context activation, sound device activation,
// opening plain files) swallow errors and report through a state flag.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// "Class.Operation error: text"
std::string ErrorText(std::string_view className, std::string_view operation, std::string_view text);

[[noreturn]] void RaiseError(std::string_view className, std::string_view operation, std::string_view text);

// Raises with a message given whole (for the few messages that do not follow
// the "Class.Operation error: " form).
[[noreturn]] void RaiseMessage(const std::string& message);

}  // namespace velmora
