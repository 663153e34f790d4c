// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/plot/PlotExport.h"

#include "core/files/AtomicWrite.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/PrintPage.h"
#include "platform/GraphImage.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <span>

namespace orvane {

namespace {

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
    const auto draw = [&window](DrawSurface& surface) { window.Draw(surface); };
    switch (request.format) {
    case PlotFormat::Png:
        bytes = GraphImage::Png(window.width, window.height, draw);
        break;
    case PlotFormat::Svg:
        bytes = GraphImage::Svg(window.width, window.height, title, draw);
        break;
    case PlotFormat::Pdf:
        bytes = GraphImage::Pdf(title, [&](DrawSurface& surface, int width, int height) {
            // The window has drawn once before it is printed: its automatic
            // values are in the record the header shows.
            if (ApplyAutomaticValues(window.design, window.f1Entered).entry == AutoEntry::F1)
                window.f1Entered = true;
            PrintPage(surface, width, height, 0, 0, title.toStdString(), window.design,
                      UnitSystem::Imperial, window.width, window.height, draw);
        });
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
