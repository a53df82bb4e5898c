#include "file_error.h"

#include <cstring>

namespace zentavo {

std::string ErrnoWords(int error)
{
    return std::strerror(error);
}

} // namespace zentavo
