// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GraphImage.h"

#include "platform/PngEncoding.h"
#include "platform/QtDrawSurface.h"

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace orvane::GraphImage {

namespace {

// A printer cannot print to the paper's edge; the page gets the margins a
// typical printer's printable area has.
constexpr double kPrinterMarginMm = 6.35;

} // namespace

std::optional<QByteArray> Png(int width, int height, const Draw& draw) {
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return std::nullopt;
    image.setDevicePixelRatio(1);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QtDrawSurface surface(painter);
        draw(surface);
    }
    QByteArray bytes = EncodePng(image);
    if (bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

std::optional<QByteArray> Svg(int width, int height, const QString& title, const Draw& draw) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(width, height));
    svg.setViewBox(QRect(0, 0, width, height));
    svg.setResolution(96);
    svg.setTitle(title);
    {
        QPainter painter(&svg);
        if (!painter.isActive())
            return std::nullopt;
        painter.fillRect(QRect(0, 0, width, height), Qt::white);
        QtDrawSurface surface(painter);
        draw(surface);
    }
    return bytes;
}

std::optional<QByteArray> Pdf(const QString& title, const DrawPage& page) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("Orvane"));
        pdf.setPageLayout(QPageLayout(
            QPageSize(QPageSize::A4), QPageLayout::Portrait,
            QMarginsF(kPrinterMarginMm, kPrinterMarginMm, kPrinterMarginMm, kPrinterMarginMm),
            QPageLayout::Millimeter));
        QPainter painter(&pdf);
        if (!painter.isActive())
            return std::nullopt;
        QtDrawSurface surface(painter);
        page(surface, pdf.width(), pdf.height());
    }
    // Only a finished document ends with its end-of-file marker.
    if (!bytes.trimmed().endsWith("%%EOF"))
        return std::nullopt;
    return bytes;
}

} // namespace orvane::GraphImage
