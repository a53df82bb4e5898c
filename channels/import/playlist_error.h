#pragma once

#include <stdexcept>

namespace zentavo {

// Raised when a file cannot be read as a playlist at all (not for single bad entries).
class PlaylistError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace zentavo
