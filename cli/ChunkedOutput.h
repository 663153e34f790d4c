// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

namespace orvane {

// Text written to a stream in chunks of a fixed size: one system call per
// chunk, however long the output, and memory that does not grow with it.
class ChunkedOutput {
public:
    explicit ChunkedOutput(std::FILE* stream) : m_stream(stream) {}
    ChunkedOutput(const ChunkedOutput&) = delete;
    ChunkedOutput& operator=(const ChunkedOutput&) = delete;

    void Text(std::string_view text);
    void Char(char c) {
        if (m_used == kChunk)
            Flush();
        m_chunk[m_used++] = c;
    }
    void Integer(long long value);
    // "%.17g" text of a finite value.
    void Number(double value);

    // Writes what is left; false when any write failed.
    bool Finish();

private:
    static constexpr std::size_t kChunk = 64 * 1024;
    static constexpr std::size_t kLongestItem = 32;
    void Room(std::size_t size) {
        if (kChunk - m_used < size)
            Flush();
    }
    void Flush();

    std::FILE* m_stream;
    char m_chunk[kChunk];
    std::size_t m_used = 0;
    bool m_failed = false;
};

} // namespace orvane
