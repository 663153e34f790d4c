// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PngEncoding.h"

#include <QBuffer>
#include <QImageWriter>
#include <array>
#include <limits>
#include <png.h>
#include <vector>
#include <zlib.h>

namespace orvane {

namespace {

// The colours of an opaque picture and their palette indexes: the first 256
// colours as they are, and any later one as the nearest of those. A plot
// has a few pens and their antialiasing shades; at most a handful of shades
// beyond 256 then move by a step nobody sees, and the picture keeps the
// palette encoding however many shades it has.
class ColourTable {
public:
    uchar Index(QRgb colour) {
        size_t slot = Hash(colour);
        while (m_used[slot]) {
            if (m_keys[slot] == colour)
                return m_index[slot];
            slot = (slot + 1) % kSlots;
        }
        if (m_colours.size() < 256) {
            m_index[slot] = static_cast<uchar>(m_colours.size());
            m_colours.append(colour);
        } else if (m_filled == kSlots / 2) {
            return Nearest(colour); // the table stays half empty for its probes
        } else {
            m_index[slot] = Nearest(colour);
        }
        m_used[slot] = true;
        m_keys[slot] = colour;
        ++m_filled;
        return m_index[slot];
    }
    const QList<QRgb>& Colours() const { return m_colours; }

private:
    static constexpr size_t kSlots = 4096;
    static size_t Hash(QRgb colour) { return ((colour * 2654435761u) >> 20) & (kSlots - 1); }

    uchar Nearest(QRgb colour) const {
        int best = 0, bestDistance = std::numeric_limits<int>::max();
        for (int i = 0; i < m_colours.size(); ++i) {
            const QRgb c = m_colours[i];
            const int r = qRed(c) - qRed(colour), g = qGreen(c) - qGreen(colour),
                      b = qBlue(c) - qBlue(colour);
            const int distance = r * r + g * g + b * b;
            if (distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        return static_cast<uchar>(best);
    }

    std::array<bool, kSlots> m_used{};
    std::array<QRgb, kSlots> m_keys{};
    std::array<uchar, kSlots> m_index{};
    size_t m_filled = 0;
    QList<QRgb> m_colours;
};

// The picture with a palette, or a null image when it is not an opaque
// 32-bit one.
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
                lastIndex = table.Index(in[x] | 0xff000000u);
                last = in[x];
            }
            out[x] = lastIndex;
        }
    }
    indexed.setColorTable(table.Colours());
    indexed.setDotsPerMeterX(image.dotsPerMeterX());
    indexed.setDotsPerMeterY(image.dotsPerMeterY());
    return indexed;
}

// libpng's write callback: the bytes go to the caller's buffer.
void Append(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<QByteArray*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// Writes a palette image with libpng. Every row is filtered against the one
// above: a plot's rows mostly repeat, so the filtered rows are long runs of
// zeros, which run-length deflate packs in a few milliseconds (Qt's writer
// spends several times that for a larger file). Holds nothing that needs a
// destructor, because libpng reports errors by a long jump back into it.
bool WritePalettePng(const QImage& indexed, const png_color* palette, int colours,
                     const png_bytep* rows, QByteArray* out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, Append, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(indexed.width()),
                 static_cast<png_uint_32>(indexed.height()), 8, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, palette, colours);
    if (indexed.dotsPerMeterX() > 0 && indexed.dotsPerMeterY() > 0)
        png_set_pHYs(png, info, static_cast<png_uint_32>(indexed.dotsPerMeterX()),
                     static_cast<png_uint_32>(indexed.dotsPerMeterY()), PNG_RESOLUTION_METER);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_strategy(png, Z_RLE);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(rows));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

QByteArray EncodeIndexed(const QImage& indexed) {
    const QList<QRgb> table = indexed.colorTable();
    std::vector<png_color> palette;
    palette.reserve(static_cast<size_t>(table.size()));
    for (const QRgb c : table)
        palette.push_back({static_cast<png_byte>(qRed(c)), static_cast<png_byte>(qGreen(c)),
                           static_cast<png_byte>(qBlue(c))});
    std::vector<png_bytep> rows(static_cast<size_t>(indexed.height()));
    for (int y = 0; y < indexed.height(); ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(indexed.constScanLine(y));
    QByteArray bytes;
    if (!WritePalettePng(indexed, palette.data(), static_cast<int>(palette.size()), rows.data(),
                         &bytes))
        return {};
    return bytes;
}

} // namespace

QByteArray EncodePng(const QImage& image) {
    if (image.isNull())
        return {};
    if (const QImage indexed = Indexed(image); !indexed.isNull())
        return EncodeIndexed(indexed);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    if (!writer.write(image))
        return {};
    return bytes;
}

} // namespace orvane
