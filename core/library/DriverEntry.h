// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// What a library entry is: a driver, or a passive radiator (a cone and its
// suspension without a motor).
enum class DriverKind { Driver, Radiator };

// "driver" or "radiator", as the library, CSV files and orvane-cli name them.
const char* KindName(DriverKind kind);
// The kind a name gives (without case), or nothing for any other text.
std::optional<DriverKind> KindNamed(std::string_view name);

// One driver of the library, in the record's units (cubic feet, inches), so
// that using it copies the values unchanged. Fs, Qts and Vas are what every
// design needs; the rest may be unknown. A passive radiator has no motor, so
// its total Q is its mechanical Q: `qts` holds its Qms, and the electrical
// values stay empty.
struct DriverEntry {
    std::int64_t id = 0; // the library's number; 0 until stored
    std::string maker;
    std::string model;
    DriverKind kind = DriverKind::Driver;
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
    std::optional<double> mms;          // g, the moving mass
    std::optional<double> displacement; // ft³, what the driver takes of a box's air
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
// present, within bounds, valid UTF-8 without control characters (C0, C1 or
// the bidirectional embeddings, overrides and isolates, which would let a
// name print as another); notes likewise, but with tabs and line breaks; Fs,
// Qts and Vas finite and above 0, every other value finite and not negative
// (efficiency finite). Returns the reason an entry is refused ("maker
// contains a control character"), or nothing when it is fine.
std::optional<std::string> NormaliseDriver(DriverEntry& entry);

// The text with each character that NormaliseDriver refuses in a name (a
// control character, a byte of invalid UTF-8) replaced by U+FFFD, for
// printing names that came into a library some other way.
std::string PrintableText(std::string_view text);

// The library's matching rule for search as you type: every blank-separated
// word of the query occurs in the maker, the model or the notes ("seas 26"
// finds the SEAS L26RO4Y), letters compared without case (ASCII, as the
// library's uniqueness of names). A query without words matches everything.
class DriverQuery {
public:
    explicit DriverQuery(std::string_view query);

    bool Empty() const { return m_words.empty(); }
    bool Matches(std::string_view maker, std::string_view model, std::string_view notes) const;
    // The same for a driver's haystack (below): one search per word.
    bool MatchesHaystack(std::string_view haystack) const;
    // Whether every driver this query matches is matched by `other` too:
    // each word of `other` lies within a word of this one ("seas l2" after
    // "seas l"). A search that only grew may then look among the drivers
    // found before instead of all.
    bool Narrows(const DriverQuery& other) const;

    // Maker, model and notes folded to lower case and joined by line breaks,
    // which no word holds, so that no word matches across two of them.
    static void AppendHaystack(std::string& out, std::string_view maker, std::string_view model,
                               std::string_view notes);
    // The characters a text holds, one bit each (letters and digits their
    // own, others shared): a haystack whose bits miss one of the query's
    // cannot match, and one letter is found by the bits alone.
    static std::uint64_t Characters(std::string_view text);
    // Whether a haystack with these Characters may match (and does, for a
    // query of one-character words).
    bool MayMatch(std::uint64_t characters) const {
        return (characters & m_characters) == m_characters;
    }
    bool DecidedByCharacters() const { return m_singles; }

private:
    std::vector<std::string> m_words; // folded
    std::uint64_t m_characters = 0;
    bool m_singles = true; // every word one letter or digit
};

bool DriverMatches(const DriverEntry& entry, std::string_view query);

// Case-insensitive (ASCII) comparison, the library's collation.
int CompareNoCase(std::string_view a, std::string_view b);

} // namespace orvane
