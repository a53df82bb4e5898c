#pragma once
// The guide's failures: a database that cannot be opened or written, a guide that cannot be read.
// The message says what went wrong in words, ready for the user.

#include <stdexcept>
#include <string>

namespace zentavo {

class GuideError : public std::runtime_error {
public:
    explicit GuideError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace zentavo
