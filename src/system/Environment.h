#pragma once
// Reading the process environment through a function, so that the code that
// interprets variables can be tested without touching the real environment.

#include <functional>
#include <string>

namespace cdflash {

/// The value of the environment variable `name`; empty when it is unset (a
/// variable set to nothing counts as unset everywhere it is read).
using EnvironmentReader = std::function<std::string(const std::string& name)>;

}  // namespace cdflash
