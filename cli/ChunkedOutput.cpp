// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ChunkedOutput.h"

#include "core/text/NumberText.h"

#include <charconv>

namespace orvane {

static_assert(kG17MaxChars <= 32, "a number must fit the room ChunkedOutput keeps");

void ChunkedOutput::Text(std::string_view text) {
    for (const char c : text)
        Char(c);
}

void ChunkedOutput::Integer(long long value) {
    Room(kLongestItem);
    char* begin = m_chunk + m_used;
    m_used =
        static_cast<std::size_t>(std::to_chars(begin, begin + kLongestItem, value).ptr - m_chunk);
}

void ChunkedOutput::Number(double value) {
    Room(kLongestItem);
    char* begin = m_chunk + m_used;
    m_used = static_cast<std::size_t>(FormatG17(begin, begin + kLongestItem, value) - m_chunk);
}

void ChunkedOutput::Flush() {
    if (m_used != 0 && std::fwrite(m_chunk, 1, m_used, m_stream) != m_used)
        m_failed = true;
    m_used = 0;
}

bool ChunkedOutput::Finish() {
    Flush();
    return std::fflush(m_stream) == 0 && !m_failed && std::ferror(m_stream) == 0;
}

} // namespace orvane
