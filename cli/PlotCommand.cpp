// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli plot FILE -o OUT [--size WxH] [--db-per-div 1|2|5|10]: the plot
// of a design as a fresh design window of that client size shows it after
// its first drawing (white background, no box picture), as a PNG or SVG image
// or as the printed page in a one-page A4 PDF.
#include "cli/CliCommand.h"
#include "cli/CliDesign.h"
#include "platform/QtDrawSurface.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/PrintPage.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cstdio>
#include <memory>
#include <regex>

namespace orvane {

namespace {

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;
// Keeps the image of the largest plot under 256 MB.
constexpr int kMaxSide = 8192;
// A printer cannot print to the paper's edge; the page gets the margins a
// typical printer's printable area has.
constexpr double kPrinterMarginMm = 6.35;

enum class Format { Png, Svg, Pdf };

bool ParseSize(const std::string& text, int& width, int& height) {
    static const std::regex pattern("([0-9]{1,5})x([0-9]{1,5})");
    std::smatch m;
    if (!std::regex_match(text, m, pattern))
        return false;
    width = std::stoi(m[1].str());
    height = std::stoi(m[2].str());
    return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide;
}

bool FormatOf(const std::string& path, Format& format) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    if (suffix == "png")
        format = Format::Png;
    else if (suffix == "svg")
        format = Format::Svg;
    else if (suffix == "pdf")
        format = Format::Pdf;
    else
        return false;
    return true;
}

// What one design window holds between drawings: the record, the F1 flag
// and the amplitude scale.
struct Window {
    SpeakerDesign design;
    bool f1Entered = false;
    PlotScale scale;
    int width = kDefaultWidth;
    int height = kDefaultHeight;

    // The view's draw operation without the box picture. Showing an
    // automatic value in the F1 entry sets the window's flag.
    void Draw(DrawSurface& surface) {
        if (DrawPlot(surface, design, f1Entered, scale, width, height).entry == AutoEntry::F1)
            f1Entered = true;
    }
};

bool RenderPng(Window& window, const QString& out) {
    QImage image(window.width, window.height, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    image.setDevicePixelRatio(1);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QtDrawSurface surface(painter);
        window.Draw(surface);
    }
    return image.save(out, "PNG");
}

bool RenderSvg(Window& window, const QString& out, const QString& title) {
    QFile file(out);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(QSize(window.width, window.height));
    svg.setViewBox(QRect(0, 0, window.width, window.height));
    svg.setResolution(96);
    svg.setTitle(title);
    {
        QPainter painter(&svg);
        painter.fillRect(QRect(0, 0, window.width, window.height), Qt::white);
        QtDrawSurface surface(painter);
        window.Draw(surface);
    }
    file.close();
    return file.error() == QFileDevice::NoError;
}

bool RenderPdf(Window& window, const QString& out, const QString& title) {
    QFile file(out);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(title);
        pdf.setCreator("Orvane");
        pdf.setPageLayout(QPageLayout(
            QPageSize(QPageSize::A4), QPageLayout::Portrait,
            QMarginsF(kPrinterMarginMm, kPrinterMarginMm, kPrinterMarginMm, kPrinterMarginMm),
            QPageLayout::Millimeter));
        QPainter painter(&pdf);
        if (!painter.isActive())
            return false;
        // The window has drawn once before it is printed: its automatic values
        // are in the record the header shows.
        if (ApplyAutomaticValues(window.design, window.f1Entered).entry == AutoEntry::F1)
            window.f1Entered = true;
        QtDrawSurface surface(painter);
        // The painter's origin is the printable area's corner, so the page
        // rectangle starts at 0, 0 and spans the writer's size.
        PrintPage(surface, pdf.width(), pdf.height(), 0, 0, title.toStdString(), window.design,
                  window.width, window.height, [&](DrawSurface& s) { window.Draw(s); });
    }
    file.close();
    return file.error() == QFileDevice::NoError;
}

int RunPlot(const CliArgs& args) {
    for (const auto& [name, value] : args.options) {
        if (name != "o" && name != "size" && name != "db-per-div")
            return CliUsageError("unknown option --" + name);
    }
    if (args.positional.size() != 1)
        return CliUsageError("plot takes exactly one design file");
    if (!args.Has("o"))
        return CliUsageError("plot needs -o OUT");
    const std::string out = args.options.at("o");
    Format format{};
    if (!FormatOf(out, format))
        return CliUsageError("plot writes .png, .svg or .pdf, not " + out);

    Window window;
    if (args.Has("size") && !ParseSize(args.options.at("size"), window.width, window.height))
        return CliUsageError("--size needs WxH, each from 1 to " + std::to_string(kMaxSide));
    if (args.Has("db-per-div")) {
        long long perDiv = 0;
        if (!args.Integer("db-per-div", perDiv) ||
            (perDiv != 1 && perDiv != 2 && perDiv != 5 && perDiv != 10))
            return CliUsageError("--db-per-div is 1, 2, 5 or 10");
        window.scale = ScaleForDbPerDiv(static_cast<int>(perDiv));
    }

    const std::string& path = args.positional[0];
    std::optional<SpeakerDesign> loaded = LoadDesignOrReport(path);
    if (!loaded)
        return 1;
    window.design = *loaded;
    // A stored tuning counts as entered, so a saved vented tuning is kept.
    window.f1Entered = StoredF1CountsAsEntered(window.design);

    // Rendering needs fonts, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "orvane-cli";
    char* argv[] = {name, nullptr};
    const auto app = std::make_unique<QGuiApplication>(argc, argv);

    const QString outPath = QString::fromStdString(out);
    const QString title = QFileInfo(QString::fromStdString(path)).fileName();
    bool written = false;
    switch (format) {
    case Format::Png:
        written = RenderPng(window, outPath);
        break;
    case Format::Svg:
        written = RenderSvg(window, outPath, title);
        break;
    case Format::Pdf:
        written = RenderPdf(window, outPath, title);
        break;
    }
    if (!written) {
        std::fprintf(stderr, "orvane-cli: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

const CliRegistration registration({"plot", "plot FILE -o OUT [--size WxH] [--db-per-div 1|2|5|10]",
                                    RunPlot});

} // namespace

} // namespace orvane
