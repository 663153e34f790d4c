// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/plot/PngEncoding.h"

#include <QBuffer>
#include <QImageWriter>
#include <array>
#include <optional>

namespace orvane {

namespace {

// The colours of an opaque picture and their palette indexes, while there are
// at most 256 of them: an open-addressing table twice that size.
class ColourTable {
public:
    // The index of `colour`, added if new; nothing once a 257th would be needed.
    std::optional<uchar> Index(QRgb colour) {
        size_t slot = Hash(colour);
        while (m_used[slot]) {
            if (m_keys[slot] == colour)
                return m_index[slot];
            slot = (slot + 1) % kSlots;
        }
        if (m_colours.size() == 256)
            return std::nullopt;
        m_used[slot] = true;
        m_keys[slot] = colour;
        m_index[slot] = static_cast<uchar>(m_colours.size());
        m_colours.append(colour);
        return m_index[slot];
    }
    const QList<QRgb>& Colours() const { return m_colours; }

private:
    static constexpr size_t kSlots = 512;
    static size_t Hash(QRgb colour) { return ((colour * 2654435761u) >> 23) & (kSlots - 1); }

    std::array<bool, kSlots> m_used{};
    std::array<QRgb, kSlots> m_keys{};
    std::array<uchar, kSlots> m_index{};
    QList<QRgb> m_colours;
};

// The picture with a palette, or a null image when it has more than 256
// colours or is not an opaque 32-bit one.
QImage Indexed(const QImage& image) {
    if (image.format() != QImage::Format_RGB32)
        return {};
    QImage indexed(image.size(), QImage::Format_Indexed8);
    if (indexed.isNull())
        return {};
    ColourTable table;
    const int width = image.width(), height = image.height();
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        // Plots are long runs of one colour: look up only where it changes.
        QRgb last = in[0] ^ 1;
        uchar lastIndex = 0;
        for (int x = 0; x < width; ++x) {
            if (in[x] != last) {
                // The unused alpha byte of RGB32 is 0xff; a palette is opaque.
                const std::optional<uchar> index = table.Index(in[x] | 0xff000000u);
                if (!index)
                    return {};
                last = in[x];
                lastIndex = *index;
            }
            out[x] = lastIndex;
        }
    }
    indexed.setColorTable(table.Colours());
    indexed.setDotsPerMeterX(image.dotsPerMeterX());
    indexed.setDotsPerMeterY(image.dotsPerMeterY());
    return indexed;
}

} // namespace

QByteArray EncodePng(const QImage& image) {
    const QImage indexed = image.isNull() ? QImage() : Indexed(image);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    if (!writer.write(indexed.isNull() ? image : indexed))
        return {};
    return bytes;
}

} // namespace orvane
