// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/calc/BuildCalc.h"

#include "core/calc/PortCalc.h"
#include "core/design/Fields.h"
#include "core/model/Acoustics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvane::BuildCalc {

namespace {

constexpr double kCubicInches = 1728.0;                             // per cubic foot
constexpr double kSpeedOfSound = Acoustics::kSpeedOfSound / 0.0254; // in/s
constexpr double kPi = std::numbers::pi;

Failure<int> Refusal(std::string message) {
    return {1, std::move(message)};
}

double Value(const SpeakerDesign& design, FieldId id, double otherwise) {
    return Fields::Number(design, id).value_or(otherwise);
}

// The vented chambers of a box type: V1/F1 first, then V2/F2.
std::vector<int> VentedChambers(BoxKind kind) {
    switch (kind) {
    case BoxKind::Vented:
    case BoxKind::Bandpass4:
        return {1};
    case BoxKind::Bandpass6:
        return {1, 2};
    default:
        return {};
    }
}

// A chamber's ports for its tuning, or nothing when it has none. The length
// that tunes is the Port Calculator's (one flanged end); the other ends keep
// its effective length and change the tube's.
Result<std::optional<Port>> ChamberPort(const SpeakerDesign& design, const Inputs& in,
                                        int chamber) {
    const double volume = chamber == 1 ? design.m_v1 : design.m_v2;
    const double tuning = chamber == 1 ? design.m_f1 : design.m_f2;
    const FieldId countId = chamber == 1 ? FieldId::Ports : FieldId::Ports2;
    const int count = static_cast<int>(Value(design, countId, 1));
    if (!(tuning > 0) || count < 1)
        return std::optional<Port>();
    Port port;
    port.chamber = chamber;
    port.count = count;
    double equivalent = 0; // the round diameter of all the ports' area
    if (in.portShape == PortShape::Round) {
        const std::optional<double> diameter =
            Fields::Number(design, chamber == 1 ? FieldId::PortDiameter : FieldId::Port2Diameter);
        if (!diameter || !(*diameter > 0))
            return std::optional<Port>();
        equivalent = std::sqrt(static_cast<double>(count)) * *diameter;
        port.diameter = equivalent;
    } else {
        if (!(in.slotWidth > 0 && in.slotHeight > 0))
            return std::optional<Port>();
        equivalent = std::sqrt(4 * count * in.slotWidth * in.slotHeight / kPi);
        port.diameter = 2 * in.slotWidth * in.slotHeight / (in.slotWidth + in.slotHeight);
    }
    const std::optional<PortCalc::Port> tuned = PortCalc::Compute(equivalent, 1, volume, tuning);
    if (!tuned)
        return std::optional<Port>();
    port.effectiveLength = tuned->length + EndCorrection(PortEnds::OneFlanged) * equivalent;
    port.endCorrection = EndCorrection(in.portEnds) * port.diameter;
    port.length = port.effectiveLength - port.endCorrection;
    if (!(port.length > 0))
        return Refusal("The port of chamber " + std::to_string(chamber) +
                       " is too short to tune it: choose a smaller port or more volume.");
    port.resonance = kSpeedOfSound / (2 * port.effectiveLength);
    port.resonanceNearTuning = port.resonance < 4 * tuning;
    // Inside the box the tube runs from the baffle's inner face.
    const double inside = std::max(0.0, port.length - in.thickness);
    const double section =
        in.portShape == PortShape::Round
            ? kPi * std::pow(equivalent / std::sqrt(count) / 2 + in.portWall, 2)
            : (in.slotWidth + 2 * in.portWall) * (in.slotHeight + 2 * in.portWall);
    port.displacement = count * section * inside / kCubicInches;
    return std::optional<Port>(port);
}

// The inner box of `volume` cubic feet plus what the chambers' baffle
// (`divider` thick, across width × depth) takes, in the chosen shape:
// W : H : D = 1 : r : 1/r, with a fixed outer width or height keeping the
// other proportion.
Result<Box> InnerBox(double volume, double divider, const Inputs& in) {
    const double t = in.thickness;
    const double r = in.ratio;
    const double v = volume * kCubicInches;
    // Zero: free; the inner size otherwise.
    const double w = in.outerWidth ? *in.outerWidth - 2 * t : 0;
    const double h = in.outerHeight ? *in.outerHeight - 2 * t : 0;
    const bool fixW = in.outerWidth.has_value();
    const bool fixH = in.outerHeight.has_value();
    if ((fixW && !(w > 0)) || (fixH && !(h > divider)))
        return Refusal("The fixed outer dimensions leave no room inside two panels.");
    // A custom shape W : H : D = 1 : ch : cd.
    const bool custom = in.shapeHeight && in.shapeDepth;
    const double ch = custom ? *in.shapeHeight : 0;
    const double cd = custom ? *in.shapeDepth : 0;
    // The box for a free scale s; its volume grows with s.
    const auto shaped = [&](double s) {
        if (fixW && fixH)
            return Box{w, h, s};
        if (custom) {
            if (fixW)
                return Box{w, ch / cd * s, s};
            if (fixH)
                return Box{s / cd, h, s};
            return Box{s, ch * s, cd * s};
        }
        if (fixW)
            return Box{w, r * r * s, s};
        if (fixH)
            return Box{r * s, h, s};
        return Box{s, r * s, s / r};
    };
    const auto air = [&](double s) {
        const Box b = shaped(s);
        return b.width * b.height * b.depth - b.width * b.depth * divider;
    };
    double s = 0;
    if (divider == 0) {
        // Closed forms, so that the net volume comes back to the last bits.
        if (fixW && fixH)
            s = v / (w * h);
        else if (custom && fixW)
            s = std::sqrt(v / (w * ch / cd));
        else if (custom && fixH)
            s = std::sqrt(v * cd / h);
        else if (custom)
            s = std::cbrt(v / (ch * cd));
        else if (fixW)
            s = std::sqrt(v / (w * r * r));
        else if (fixH)
            s = std::sqrt(v / (h * r));
        else
            s = std::cbrt(v);
    } else {
        double low = 0;
        double high = 1;
        while (air(high) < v && high < 1e12)
            high *= 2;
        for (int i = 0; i < 200 && low < high; ++i) {
            const double mid = (low + high) / 2;
            (air(mid) < v ? low : high) = mid;
        }
        s = high;
    }
    const Box box = shaped(s);
    if (!(box.width > 0 && box.height > 0 && box.depth > 0) || !std::isfinite(box.depth))
        return Refusal("No box of this shape holds the volume.");
    return box;
}

double Area(const Panel& p) {
    return p.count * p.length * p.width;
}

Panel MakePanel(std::string name, int count, double a, double b, double t) {
    return {std::move(name), count, std::max(a, b), std::min(a, b), t};
}

} // namespace

double EndCorrection(PortEnds ends) {
    // Per end k·r, so per diameter k/2 for each end.
    switch (ends) {
    case PortEnds::BothFlanged:
        return kFlangedEnd;
    case PortEnds::Free:
        return kFreeEnd;
    case PortEnds::OneFlanged:
        break;
    }
    return (kFlangedEnd + kFreeEnd) / 2;
}

Inputs FromDesign(const SpeakerDesign& design) {
    Inputs in;
    in.thickness = Value(design, FieldId::Thickness, in.thickness);
    in.kerf = Value(design, FieldId::Kerf, in.kerf);
    in.driverDisplacement = Value(design, FieldId::DriverDisplacement, 0);
    in.bracingDisplacement = Value(design, FieldId::BracingDisplacement, 0);
    in.radiatorDisplacement = Value(design, FieldId::RadiatorDisplacement, 0);
    // Only a passive-radiator box has radiators; its count is theirs.
    in.radiators = design.Kind() == BoxKind::PassiveRadiator
                       ? static_cast<int>(Value(design, FieldId::PrCount, 1))
                       : 0;
    in.portWall = Value(design, FieldId::PortWall, in.portWall);
    in.portShape = Value(design, FieldId::PortShape, 0) == 1 ? PortShape::Slot : PortShape::Round;
    in.slotWidth = Value(design, FieldId::SlotWidth, 0);
    in.slotHeight = Value(design, FieldId::SlotHeight, 0);
    in.portEnds = static_cast<PortEnds>(std::clamp(Value(design, FieldId::PortEnds, 1), 0.0, 2.0));
    in.cutout = Fields::Number(design, FieldId::Cutout);
    in.ratio = Value(design, FieldId::Shape, in.ratio);
    in.outerWidth = Fields::Number(design, FieldId::OuterWidth);
    in.outerHeight = Fields::Number(design, FieldId::OuterHeight);
    in.shapeHeight = Fields::Number(design, FieldId::ShapeHeight);
    in.shapeDepth = Fields::Number(design, FieldId::ShapeDepth);
    in.sheetLength = Fields::Number(design, FieldId::SheetLength);
    in.sheetWidth = Fields::Number(design, FieldId::SheetWidth);
    return in;
}

Result<Plan> Compute(const SpeakerDesign& design, const Inputs& in) {
    const BoxKind kind = design.Kind();
    const bool bandpass = kind == BoxKind::Bandpass4 || kind == BoxKind::Bandpass6;
    if (kind == BoxKind::Unknown)
        return Refusal("The box type is none of the four.");
    if (!(design.m_v1 > 0) || (bandpass && !(design.m_v2 > 0)))
        return Refusal(bandpass ? "Both chambers need a volume above 0."
                                : "The box needs a volume above 0.");
    if (!(in.thickness > 0) || !(in.ratio > 0) ||
        (in.shapeHeight && in.shapeDepth && !(*in.shapeHeight > 0 && *in.shapeDepth > 0)))
        return Refusal("The panel thickness and the shape's ratio must be above 0.");
    Plan plan;
    plan.thickness = in.thickness;
    plan.kerf = in.kerf;
    plan.ratio = in.ratio;
    plan.portShape = in.portShape;
    plan.slotWidth = in.slotWidth;
    plan.slotHeight = in.slotHeight;
    plan.customShape = in.shapeHeight && in.shapeDepth;
    plan.shapeHeight = in.shapeHeight.value_or(0);
    plan.shapeDepth = in.shapeDepth.value_or(0);
    plan.cutout = in.cutout.value_or(0.9 * design.m_coneDiameter);
    plan.netVolume = design.m_v1 + (bandpass ? design.m_v2 : 0);

    double portsIn[3] = {0, 0, 0};
    for (const int chamber : VentedChambers(kind)) {
        Result<std::optional<Port>> port = ChamberPort(design, in, chamber);
        if (!port)
            return port.Error();
        if (*port) {
            portsIn[chamber] = (*port)->displacement;
            plan.ports.push_back(**port);
        }
    }
    Displacement& d = plan.displacement;
    d.driver = in.driverDisplacement * design.m_driverCount;
    d.ports = portsIn[1] + portsIn[2];
    d.radiators = in.radiatorDisplacement * in.radiators;
    d.bracing = in.bracingDisplacement;
    plan.grossVolume = plan.netVolume + d.Total();

    const double divider = bandpass ? in.thickness : 0;
    Result<Box> inner = InnerBox(plan.grossVolume, divider, in);
    if (!inner)
        return inner.Error();
    plan.inner = *inner;
    const double t = in.thickness;
    plan.outer = {plan.inner.width + 2 * t, plan.inner.height + 2 * t, plan.inner.depth + 2 * t};
    if (plan.outer.width < plan.cutout + 2 * t || plan.outer.height < plan.cutout + 2 * t)
        return Refusal(in.outerWidth ? "The fixed width is smaller than the driver cut-out plus "
                                       "two panel thicknesses."
                                     : "The box is narrower than the driver cut-out plus two "
                                       "panel thicknesses.");
    if (bandpass) {
        // The front chamber holds its ports, the rear one the drivers'
        // bodies; bracing and radiators are shared by volume.
        const double share = design.m_v1 / plan.netVolume;
        const double front = design.m_v1 + portsIn[1] + (d.bracing + d.radiators) * share;
        const double area = plan.inner.width * plan.inner.depth / kCubicInches;
        const double h1 = front / area;
        plan.chambers = {{plan.inner.width, h1, plan.inner.depth},
                         {plan.inner.width, plan.inner.height - divider - h1, plan.inner.depth}};
    }
    for (Port& port : plan.ports) {
        const double outside = in.portShape == PortShape::Round
                                   ? port.diameter / std::sqrt(port.count) + 2 * in.portWall
                                   : in.slotHeight + 2 * in.portWall;
        const double straight = plan.inner.depth - outside;
        const double inside = port.length - t;
        if (inside > 2 * straight)
            return Refusal("The port of chamber " + std::to_string(port.chamber) +
                           " is longer than the box's inner depth allows, even folded once.");
        port.folded = inside > straight;
    }

    const Box& i = plan.inner;
    const Box& o = plan.outer;
    plan.panels = {MakePanel("Front baffle", 1, o.width, o.height, t),
                   MakePanel("Back", 1, o.width, o.height, t),
                   MakePanel("Side", 2, o.height, i.depth, t),
                   MakePanel("Top and bottom", 2, i.width, i.depth, t)};
    if (bandpass)
        plan.panels.push_back(MakePanel("Chamber baffle", 1, i.width, i.depth, t));
    for (const Panel& p : plan.panels) {
        plan.woodVolume += Area(p) * p.thickness / kCubicInches;
        plan.sheetArea += p.count * (p.length + in.kerf) * (p.width + in.kerf);
    }
    if (in.sheetLength && in.sheetWidth) {
        Result<std::vector<Sheet>> laid =
            LayOut(plan.panels, in.kerf, *in.sheetLength, *in.sheetWidth);
        if (!laid)
            return laid.Error();
        plan.sheets = std::move(*laid);
        plan.sheetLength = *in.sheetLength;
        plan.sheetWidth = *in.sheetWidth;
    }
    return plan;
}

Result<std::vector<Sheet>> LayOut(const std::vector<Panel>& panels, double kerf, double sheetLength,
                                  double sheetWidth) {
    if (!(sheetLength > 0 && sheetWidth > 0))
        return Refusal("The sheet needs a length and a width above 0.");
    struct Part {
        const Panel* panel;
        double length, width; // as laid: length along the sheet
    };
    std::vector<Part> parts;
    for (const Panel& p : panels) {
        // Lay each part long side along the sheet's length when it fits so.
        const bool along = p.length + kerf <= sheetLength && p.width + kerf <= sheetWidth;
        const bool across = p.width + kerf <= sheetLength && p.length + kerf <= sheetWidth;
        if (!along && !across)
            return Refusal("The " + p.name + " does not fit on one sheet.");
        for (int n = 0; n < p.count; ++n)
            parts.push_back(along ? Part{&p, p.length, p.width} : Part{&p, p.width, p.length});
    }
    // Widest first: each row is as wide as its first part.
    std::stable_sort(parts.begin(), parts.end(),
                     [](const Part& a, const Part& b) { return a.width > b.width; });
    std::vector<Sheet> sheets;
    double rowY = 0, rowWidth = 0, x = 0;
    for (const Part& part : parts) {
        const double l = part.length + kerf;
        const double w = part.width + kerf;
        if (sheets.empty() || x + l > sheetLength) {
            // A new row; a new sheet when the row does not fit below.
            rowY += rowWidth;
            x = 0;
            rowWidth = w;
            if (sheets.empty() || rowY + w > sheetWidth) {
                sheets.emplace_back();
                rowY = 0;
            }
        }
        sheets.back().parts.push_back({part.panel->name, x, rowY, part.length, part.width});
        x += l;
    }
    return sheets;
}

std::vector<PlacedPart> Offcuts(const Sheet& sheet, double kerf, double sheetLength,
                                double sheetWidth) {
    std::vector<PlacedPart> offcuts;
    // The rows in the order laid: parts of one row share their y.
    double rowY = 0, rowEnd = 0, rowWidth = 0;
    const auto closeRow = [&] {
        if (rowWidth > 0 && rowEnd < sheetLength)
            offcuts.push_back({"", rowEnd, rowY, sheetLength - rowEnd, rowWidth});
    };
    for (std::size_t i = 0; i < sheet.parts.size(); ++i) {
        const PlacedPart& p = sheet.parts[i];
        if (i == 0 || p.y != rowY) {
            closeRow();
            rowY = p.y;
            rowWidth = std::min(p.width + kerf, sheetWidth - p.y);
        }
        if (p.width + kerf < rowWidth)
            offcuts.push_back({"", p.x, p.y + p.width + kerf,
                               std::min(p.length + kerf, sheetLength - p.x),
                               rowWidth - p.width - kerf});
        rowEnd = std::min(p.x + p.length + kerf, sheetLength);
    }
    closeRow();
    if (rowY + rowWidth < sheetWidth)
        offcuts.push_back({"", 0, rowY + rowWidth, sheetLength, sheetWidth - rowY - rowWidth});
    return offcuts;
}

double Waste(const Sheet& sheet, double sheetLength, double sheetWidth) {
    double used = 0;
    for (const PlacedPart& p : sheet.parts)
        used += p.length * p.width;
    return 1 - used / (sheetLength * sheetWidth);
}

std::string ResonanceWarning(const Port& port) {
    return "Port resonance at " + std::to_string(std::lround(port.resonance)) + " Hz";
}

} // namespace orvane::BuildCalc
