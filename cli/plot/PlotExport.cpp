// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/plot/PlotExport.h"

#include "cli/plot/PngEncoding.h"
#include "core/files/AtomicWrite.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/PrintPage.h"
#include "platform/QtDrawSurface.h"

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>

namespace orvane {

namespace {

// A printer cannot print to the paper's edge; the page gets the margins a
// typical printer's printable area has.
constexpr double kPrinterMarginMm = 6.35;

// What one design window holds between drawings: the record, the F1 flag,
// the amplitude scale and the graph.
struct Window {
    SpeakerDesign design;
    bool f1Entered = false;
    PlotScale scale;
    Graph graph = Graph::Response;
    int width = 0;
    int height = 0;

    // The view's draw operation without the box picture. Showing an
    // automatic value in the F1 entry sets the window's flag.
    void Draw(DrawSurface& surface) {
        std::optional<GraphAxes> axes;
        if (DrawGraph(surface, design, f1Entered, graph, scale, width, height, axes).entry ==
            AutoEntry::F1)
            f1Entered = true;
    }
};

std::optional<QByteArray> RenderPng(Window& window) {
    QImage image(window.width, window.height, QImage::Format_RGB32);
    if (image.isNull())
        return std::nullopt;
    image.setDevicePixelRatio(1);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QtDrawSurface surface(painter);
        window.Draw(surface);
    }
    QByteArray bytes = EncodePng(image);
    if (bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

std::optional<QByteArray> RenderSvg(Window& window, const QString& title) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(window.width, window.height));
    svg.setViewBox(QRect(0, 0, window.width, window.height));
    svg.setResolution(96);
    svg.setTitle(title);
    {
        QPainter painter(&svg);
        if (!painter.isActive())
            return std::nullopt;
        painter.fillRect(QRect(0, 0, window.width, window.height), Qt::white);
        QtDrawSurface surface(painter);
        window.Draw(surface);
    }
    return bytes;
}

std::optional<QByteArray> RenderPdf(Window& window, const QString& title) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(title);
        pdf.setCreator("Orvane");
        pdf.setPageLayout(QPageLayout(
            QPageSize(QPageSize::A4), QPageLayout::Portrait,
            QMarginsF(kPrinterMarginMm, kPrinterMarginMm, kPrinterMarginMm, kPrinterMarginMm),
            QPageLayout::Millimeter));
        QPainter painter(&pdf);
        if (!painter.isActive())
            return std::nullopt;
        // The window has drawn once before it is printed: its automatic values
        // are in the record the header shows.
        if (ApplyAutomaticValues(window.design, window.f1Entered).entry == AutoEntry::F1)
            window.f1Entered = true;
        QtDrawSurface surface(painter);
        // The painter's origin is the printable area's corner, so the page
        // rectangle starts at 0, 0 and spans the writer's size.
        PrintPage(surface, pdf.width(), pdf.height(), 0, 0, title.toStdString(), window.design,
                  UnitSystem::Imperial, window.width, window.height,
                  [&](DrawSurface& s) { window.Draw(s); });
    }
    // Only a finished document ends with its end-of-file marker.
    if (!bytes.trimmed().endsWith("%%EOF"))
        return std::nullopt;
    return bytes;
}

// The file name of a path, as the printed header and the SVG title show it.
QString FileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return QString::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
}

} // namespace

int ExportPlot(const PlotRequest& request, const SpeakerDesign& design) {
    Window window;
    window.design = design;
    // A stored tuning counts as entered, so a saved vented tuning is kept.
    window.f1Entered = StoredF1CountsAsEntered(window.design);
    window.scale = ScaleForDbPerDiv(request.dbPerDiv);
    window.graph = request.graph;
    window.width = request.width;
    window.height = request.height;

    const QString title = FileName(request.design);
    std::optional<QByteArray> bytes;
    switch (request.format) {
    case PlotFormat::Png:
        bytes = RenderPng(window);
        break;
    case PlotFormat::Svg:
        bytes = RenderSvg(window, title);
        break;
    case PlotFormat::Pdf:
        bytes = RenderPdf(window, title);
        break;
    }
    if (!bytes) {
        std::fprintf(stderr, "orvane-cli: cannot write %s: the drawing could not be made\n",
                     request.out.c_str());
        return 1;
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes->constData());
    const AtomicWriteResult written =
        WriteFileAtomically(request.out, std::span(data, static_cast<size_t>(bytes->size())));
    if (!written) {
        std::fprintf(stderr, "orvane-cli: cannot write %s: %s\n", request.out.c_str(),
                     std::strerror(written.error));
        return 1;
    }
    return 0;
}

} // namespace orvane
