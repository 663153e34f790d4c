// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>

namespace orvane {

// The image as PNG file bytes; empty when it cannot be encoded. A picture of
// at most 256 colours (every plot) is written with a palette, one byte a
// pixel: a third of the data for zlib, so it encodes several times faster and
// the file is smaller, and it decodes to the same pixels.
QByteArray EncodePng(const QImage& image);

} // namespace orvane
