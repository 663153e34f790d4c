// SPDX-License-Identifier: GPL-3.0-or-later
// Any text as an impedance curve, and what reads fitted as a driver with the
// same curve as its added-mass and test-box measurement: a message or a fit,
// never a crash or a hang.
#include "core/measure/DriverFit.h"
#include "core/measure/ImpedanceCurve.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const orvane::Result<orvane::ImpedanceCurve, orvane::CurveProblem> curve =
        orvane::ParseImpedanceText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!curve)
        return 0;
    for (const auto second :
         {orvane::SecondMeasurement::AddedMass, orvane::SecondMeasurement::TestBox}) {
        orvane::FitRequest request;
        request.sd = 0.02;
        request.second = second;
        request.addedMass = 0.01;
        request.testBox = 0.02;
        request.secondCurve = &*curve;
        (void)orvane::FitDriver(*curve, request);
    }
    return 0;
}
