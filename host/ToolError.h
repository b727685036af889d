// Everything that goes wrong with a module, a file or a value, for the tool to report: the message
// names it.
#pragma once

#include <stdexcept>

namespace qtool {

struct ToolError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace qtool
