// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace orvane {

class DrawSurface;

// A drawing as the bytes of an image file, for the design window's File ▸
// Export Graph… and for orvane-cli plot alike; none when the drawing could
// not be made. Uses Qt Gui and Svg only.
namespace GraphImage {

using Draw = std::function<void(DrawSurface&)>;
// The page's surface, with the page's width and height in device pixels; the
// surface's origin is the printable area's corner.
using DrawPage = std::function<void(DrawSurface&, int, int)>;

// width x height pixels, white, at a device pixel ratio of 1.
std::optional<QByteArray> Png(int width, int height, const Draw& draw);
std::optional<QByteArray> Svg(int width, int height, const QString& title, const Draw& draw);
// One A4 page in portrait, with the margins of a typical printer's printable area.
std::optional<QByteArray> Pdf(const QString& title, const DrawPage& page);

} // namespace GraphImage

} // namespace orvane
