// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>

namespace orvane {

// The image as PNG file bytes; empty when it cannot be encoded. A picture of
// at most 256 colours (every plot) is written with a palette, one byte a
// pixel, each row filtered against the one above and run-length deflated: it
// encodes several times faster than Qt's writer, the file is smaller, and it
// decodes to the same pixels.
QByteArray EncodePng(const QImage& image);

} // namespace orvane
