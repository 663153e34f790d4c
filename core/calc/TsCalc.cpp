// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/calc/TsCalc.h"

#include <cmath>

namespace orvane {

namespace TsCalc {
namespace {

std::optional<double> Finite(double v) {
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

Results Compute(const Measurements& m, std::optional<double> previousQts) {
    Results out;
    out.z = Finite(std::sqrt(m.re * m.zmax));
    const double r0 = m.zmax / m.re;
    double qms = 0;
    if (m.f2 - m.f1 > 0)
        qms = m.fs * std::sqrt(r0) / (m.f2 - m.f1);
    const double qes = qms / (r0 - 1);
    out.qts = previousQts;
    // Written as a test that NaN fails, so an undefined sum keeps the last Qts.
    if (qes + qms > 0)
        out.qts = Finite(qes * qms / (qes + qms));
    out.qms = Finite(qms);
    out.qes = Finite(qes);
    out.error = Finite(std::fabs(m.fs - std::sqrt(m.f1 * m.f2)));
    const double ratio = m.fc / m.fs;
    // The test box's air stiffens the suspension: (fc/fs)^2 - 1 is Vas / Vb for a
    // closed box, scaled by the calculator's long-standing factor 1.15.
    out.vas = Finite(1.15 * m.vb * (std::pow(ratio, 2) - 1));
    return out;
}

} // namespace TsCalc

} // namespace orvane
