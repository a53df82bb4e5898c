#pragma once
// The error of a file operation: what() says in words why the file could not be written, without
// the file's name, so that each caller can put it into its own message.

#include <stdexcept>
#include <string>

namespace zentavo {

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The system's words for an errno value.
std::string ErrnoWords(int error);

} // namespace zentavo
