// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// One driver of the library, in the record's units (cubic feet, inches), so
// that using it copies the values unchanged. Fs, Qts and Vas are what every
// design needs; the rest may be unknown.
struct DriverEntry {
    std::int64_t id = 0; // the library's number; 0 until stored
    std::string maker;
    std::string model;
    double fs = 0;                      // Hz
    double qts = 0;                     //
    double vas = 0;                     // ft³
    std::optional<double> coneDiameter; // in
    std::optional<double> xmax;         // in
    std::optional<double> efficiency;   // dB, 1 W / 1 m
    std::optional<double> re;           // ohms
    std::optional<double> qes;          //
    std::optional<double> le;           // mH
    std::optional<double> pe;           // W
    std::string notes;
    std::string created;  // UTC, "YYYY-MM-DDTHH:MM:SSZ", set by the library
    std::string modified; // likewise

    // "MAKER MODEL": the name a design carries and `new --driver` looks up.
    std::string Name() const { return maker + " " + model; }
};

// Bounds on the texts, so a hostile file cannot fill the library with
// megabyte-long names.
inline constexpr std::size_t kMaxNameBytes = 200;
inline constexpr std::size_t kMaxNotesBytes = 10000;

// Trims blanks around maker and model, then checks the entry: maker and model
// present (and within bounds), Fs, Qts and Vas finite and above 0, every other
// value finite and not negative (efficiency finite). Returns the reason an
// entry is refused, or nothing when it is fine.
std::optional<std::string> NormaliseDriver(DriverEntry& entry);

// The library's matching rule for search as you type: every blank-separated
// word of `query` occurs in the maker, the model or the notes ("seas 26"
// finds the SEAS L26RO4Y), letters compared without case (ASCII, as the
// library's uniqueness of names). A query without words matches everything.
bool DriverMatches(const DriverEntry& entry, std::string_view query);

// Case-insensitive (ASCII) comparison, the library's collation.
int CompareNoCase(std::string_view a, std::string_view b);

} // namespace orvane
