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

// A reading of the guide stopped by the user; the old guide stays.
class GuideCancelled : public GuideError {
public:
    GuideCancelled() : GuideError("The reading of the guide was cancelled; the guide stays as it was.") {}
};

} // namespace zentavo
