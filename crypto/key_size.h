#pragma once
// The AES variants a protected string can use, and how many key bytes each takes.

#include <cstddef>

namespace zentavo {

enum class KeySize { Key128 = 0, Key192 = 1, Key256 = 2 };

constexpr std::size_t KeyByteCount(KeySize size)
{
    switch (size) {
    case KeySize::Key128:
        return 16;
    case KeySize::Key192:
        return 24;
    case KeySize::Key256:
        return 32;
    }
    return 32;
}

} // namespace zentavo
