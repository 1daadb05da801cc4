// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <initializer_list>

// A set of members of an enumeration whose members are numbered from 0 (at most 32), such as the
// port's events and line signals.
template <class Enum> class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<Enum> members) {
        for (Enum member : members)
            bits_ |= Bit(member);
    }
    static constexpr TEnumSet FromBits(uint32_t bits) {
        TEnumSet set;
        set.bits_ = bits;
        return set;
    }

    constexpr bool Contains(Enum member) const { return (bits_ & Bit(member)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr uint32_t Bits() const { return bits_; }
    void Include(Enum member) { bits_ |= Bit(member); }
    void Exclude(Enum member) { bits_ &= ~Bit(member); }

    constexpr bool operator==(const TEnumSet& other) const { return bits_ == other.bits_; }
    constexpr bool operator!=(const TEnumSet& other) const { return bits_ != other.bits_; }
    constexpr TEnumSet operator*(const TEnumSet& other) const { return FromBits(bits_ & other.bits_); }

private:
    static constexpr uint32_t Bit(Enum member) { return uint32_t{1} << static_cast<unsigned>(member); }
    uint32_t bits_ = 0;
};
