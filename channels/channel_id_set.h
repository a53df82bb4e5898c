#pragma once
// A set of channel ids (channel_id.h) that costs a number per id: ids of up to 19 digits are kept
// as their value (one spelling per number makes it as exact as the text), longer ones as text. The
// lists of a million channels check every id against it.

#include "channel_id.h"
#include "number_set.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

namespace zentavo {

class ChannelIdSet {
public:
    // Only canonical ids (IsCanonicalChannelId) are held; any other text is never in the set.
    bool contains(std::string_view id) const
    {
        if (!IsCanonicalChannelId(id))
            return false;
        return IsNumber(id) ? numbers_.contains(NumberOf(id)) : long_.contains(std::string(id));
    }
    // True when the id was not held before.
    bool insert(std::string_view id)
    {
        if (!IsCanonicalChannelId(id))
            return false;
        return IsNumber(id) ? numbers_.insert(NumberOf(id)) : long_.emplace(id).second;
    }
    std::size_t size() const { return numbers_.size() + long_.size(); }
    void reserve(std::size_t count) { numbers_.reserve(count); }
    // Adds every id the other set holds.
    void insert_all(const ChannelIdSet& other)
    {
        numbers_.reserve(numbers_.size() + other.numbers_.size());
        other.numbers_.ForEach([this](std::uint64_t number) { numbers_.insert(number); });
        long_.insert(other.long_.begin(), other.long_.end());
    }

private:
    static constexpr std::size_t kMaxNumberDigits = 19; // every id of up to 19 digits fits in 64 bits
    static bool IsNumber(std::string_view id) { return id.size() <= kMaxNumberDigits; }
    static std::uint64_t NumberOf(std::string_view digits)
    {
        std::uint64_t number = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), number);
        return number;
    }

    NumberSet numbers_;
    std::unordered_set<std::string> long_;
};

} // namespace zentavo
