#pragma once
// A set of 64-bit numbers in one flat table (open addressing, linear probing): no allocation per
// number, so the lists of a million channels check and take their ids at the speed of memory rather
// than of a node per id. UINT64_MAX marks a free slot and cannot be held (no id of up to 19 digits is
// that large).

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <vector>

namespace zentavo {

class NumberSet {
public:
    NumberSet() = default;
    NumberSet(std::initializer_list<std::uint64_t> numbers)
    {
        reserve(numbers.size());
        for (const std::uint64_t number : numbers)
            insert(number);
    }

    bool contains(std::uint64_t number) const
    {
        if (slots_.empty() || number == kFree)
            return false;
        for (std::size_t i = SlotOf(number);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i] == number)
                return true;
            if (slots_[i] == kFree)
                return false;
        }
    }
    // True when the number was not held before; kFree is never taken.
    bool insert(std::uint64_t number)
    {
        if (number == kFree)
            return false;
        if ((count_ + 1) * 2 > slots_.size())
            Rehash(slots_.empty() ? kFirstSize : slots_.size() * 2);
        for (std::size_t i = SlotOf(number);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i] == number)
                return false;
            if (slots_[i] == kFree) {
                slots_[i] = number;
                ++count_;
                return true;
            }
        }
    }
    std::size_t size() const { return count_; }
    // Room for that many numbers without growing.
    void reserve(std::size_t count)
    {
        std::size_t size = kFirstSize;
        while (size < count * 2)
            size *= 2;
        if (size > slots_.size())
            Rehash(size);
    }
    // Calls visit with every number held, in no particular order.
    template <typename Visit> void ForEach(Visit visit) const
    {
        for (const std::uint64_t slot : slots_) {
            if (slot != kFree)
                visit(slot);
        }
    }

private:
    static constexpr std::uint64_t kFree = std::numeric_limits<std::uint64_t>::max();
    static constexpr std::size_t kFirstSize = 16;

    // Ids of a catalogue are often consecutive and own ids are spread by a hash: both scatter well
    // once mixed (the finaliser of MurmurHash3).
    std::size_t SlotOf(std::uint64_t number) const
    {
        number ^= number >> 33;
        number *= 0xff51afd7ed558ccdULL;
        number ^= number >> 33;
        return static_cast<std::size_t>(number) & (slots_.size() - 1);
    }
    void Rehash(std::size_t size)
    {
        std::vector<std::uint64_t> old(size, kFree);
        old.swap(slots_);
        count_ = 0;
        for (const std::uint64_t number : old) {
            if (number != kFree)
                insert(number);
        }
    }

    std::vector<std::uint64_t> slots_;
    std::size_t count_ = 0;
};

} // namespace zentavo
