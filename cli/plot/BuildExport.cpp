// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/plot/BuildExport.h"

#include "cli/BuildRequest.h"
#include "core/files/AtomicWrite.h"
#include "core/plot/BuildDrawing.h"
#include "core/plot/DrawSurface.h"
#include "platform/GraphImage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>

namespace orvane {

namespace {

constexpr int kW = BuildDrawing::kPageWidth;
constexpr int kH = BuildDrawing::kPageHeight;

void DrawPage(DrawSurface& surface, const BuildCalc::Plan& plan, const BuildRequest& request) {
    BuildDrawing::Draw(surface, plan, request.design.m_driverCount,
                       BuildCalc::FromDesign(request.design).radiators, request.units);
}

std::optional<QByteArray> RenderSvg(const BuildCalc::Plan& plan, const BuildRequest& request) {
    return GraphImage::Svg(kW, kH, QStringLiteral("Build"),
                           [&](DrawSurface& surface) { DrawPage(surface, plan, request); });
}

std::optional<QByteArray> RenderPdf(const BuildCalc::Plan& plan, const BuildRequest& request) {
    return GraphImage::Pdf(QStringLiteral("Build"), [&](DrawSurface& surface, int w, int h) {
        BuildDrawing::DrawPage(surface, w, h, plan, request.design.m_driverCount,
                               BuildCalc::FromDesign(request.design).radiators, request.units);
    });
}

int Write(const std::string& path, const std::optional<QByteArray>& bytes) {
    if (!bytes) {
        std::fprintf(stderr, "orvane-cli: cannot write %s: the drawing could not be made\n",
                     path.c_str());
        return 1;
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes->constData());
    const AtomicWriteResult written =
        WriteFileAtomically(path, std::span(data, static_cast<size_t>(bytes->size())));
    if (!written) {
        std::fprintf(stderr, "orvane-cli: cannot write %s: %s\n", path.c_str(),
                     std::strerror(written.error));
        return 1;
    }
    return 0;
}

} // namespace

int ExportBuild(const CliArgs& args) {
    BuildRequest request;
    if (const int failed = ReadBuildRequest(args, request))
        return failed;
    const Result<BuildCalc::Plan> plan =
        BuildCalc::Compute(request.design, BuildCalc::FromDesign(request.design));
    if (!plan) {
        std::fprintf(stderr, "orvane-cli: %s\n", plan.Error().message.c_str());
        return 1;
    }
    int code = 0;
    if (!request.svg.empty())
        code = std::max(code, Write(request.svg, RenderSvg(*plan, request)));
    if (!request.pdf.empty())
        code = std::max(code, Write(request.pdf, RenderPdf(*plan, request)));
    return code;
}

} // namespace orvane
