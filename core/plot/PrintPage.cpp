// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/plot/PrintPage.h"

#include "core/text/Printf.h"

#include "core/numeric/Saturate.h"
#include "core/plot/DrawSurface.h"

#include <algorithm>
#include <limits>

namespace orvane {

namespace {

// Header positions are multiples of k; keep k small enough that none of
// them overflows, whatever page size a driver reports.
constexpr int64_t kMaxScale = 1000000;

int64_t ScaleLimit(int64_t page, int64_t client) {
    if (client <= 0)
        return std::numeric_limits<int64_t>::max();
    return 10 * page / client;
}

// Characters, not bytes: a UTF-8 title counts each code point once.
int64_t CharacterCount(const std::string& text) {
    return std::count_if(text.begin(), text.end(),
                         [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

// "Vas 3.00ft^3", or in litres "Vas 84.95L".
std::string VolumeText(const char* name, double ft3, UnitSystem units) {
    using DisplayUnits::Quantity;
    if (!DisplayUnits::Converts(units, Quantity::Volume))
        return Printf("%s %.2fft^3", name, ft3);
    return Printf("%s %.2fL", name, DisplayUnits::ToDisplay(units, Quantity::Volume, ft3));
}

} // namespace

PrintLayout ComputePrintLayout(int pageWidth, int pageHeight, int pageLeft, int pageTop,
                               const std::string& title, int clientWidth, int clientHeight,
                               int headerLineHeight) {
    int64_t k = std::min(ScaleLimit(pageWidth, clientWidth), ScaleLimit(pageHeight, clientHeight));
    if (k == std::numeric_limits<int64_t>::max())
        k = 10;
    k = std::clamp<int64_t>(k, 1, kMaxScale);

    PrintLayout layout;
    layout.k = static_cast<int32_t>(k);
    const auto at = [k](int64_t x, int64_t y) {
        return PrintLayout::Point{ClampToInt32(x * k), ClampToInt32(y * k)};
    };
    layout.title = at(5, 1);
    layout.boxType = at(std::min<int64_t>(CharacterCount(title), 1000000000) + 15, 1);
    layout.fs = at(5, 4);
    layout.qts = at(5, 6);
    layout.vas = at(5, 8);
    layout.vb = at(22, 4);
    layout.fb = at(22, 6);
    layout.drivers = at(22, 8);
    layout.v2 = at(39, 4);
    layout.f2 = at(39, 6);
    // The graph starts one line below the header's last line (Vas); where the
    // header ends that far above 150 device pixels, at 150 as always.
    const int64_t belowHeader =
        static_cast<int64_t>(layout.vas.y) + std::max(headerLineHeight, 0) + k;
    layout.origin = {pageLeft,
                     ClampToInt32(std::max(150 - static_cast<int64_t>(pageTop), belowHeader))};
    return layout;
}

void PrintPage(DrawSurface& surface, int pageWidth, int pageHeight, int pageLeft, int pageTop,
               const std::string& title, const SpeakerDesign& design, UnitSystem units,
               int clientWidth, int clientHeight,
               const std::function<void(DrawSurface&)>& drawView) {
    const std::string vas = VolumeText("Vas", design.m_vas, units);
    const PrintLayout l =
        ComputePrintLayout(pageWidth, pageHeight, pageLeft, pageTop, title, clientWidth,
                           clientHeight, surface.MeasureText(vas).height);
    surface.TextOut(l.title.x, l.title.y, title);
    surface.TextOut(l.boxType.x, l.boxType.y, design.m_boxType);
    surface.TextOut(l.fs.x, l.fs.y, Printf("Fs %.fHz", design.m_fs));
    surface.TextOut(l.qts.x, l.qts.y, Printf("Qts %.2f", design.m_qts));
    surface.TextOut(l.vas.x, l.vas.y, vas);
    surface.TextOut(l.vb.x, l.vb.y, VolumeText("Vb", design.m_v1, units));
    surface.TextOut(l.fb.x, l.fb.y, Printf("Fb %.fHz", design.m_f1));
    const BoxKind kind = design.Kind();
    const bool bandpass = kind == BoxKind::Bandpass4 || kind == BoxKind::Bandpass6;
    if (bandpass) {
        surface.TextOut(l.v2.x, l.v2.y, VolumeText("V2", design.m_v2, units));
        surface.TextOut(l.f2.x, l.f2.y, Printf("F2 %.fHz", design.m_f2));
    }
    if (bandpass || design.m_driverCount != 1)
        surface.TextOut(l.drivers.x, l.drivers.y, Printf("Drivers %d", int{design.m_driverCount}));

    surface.SetScaling(10, 10, l.k, l.k);
    surface.SetViewportOrigin(l.origin.x, l.origin.y);
    if (drawView)
        drawView(surface);
}

} // namespace orvane
