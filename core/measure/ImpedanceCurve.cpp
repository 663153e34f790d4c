// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/measure/ImpedanceCurve.h"

#include "core/files/ReadFile.h"
#include "core/text/NumberText.h"
#include "core/text/Printf.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace orvane {

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r' || c == '\v' || c == '\f';
}

// The first items of a line, up to `count`; returns how many there were.
std::size_t SplitItems(std::string_view line, std::string_view* items, std::size_t count) {
    std::size_t n = 0;
    std::size_t i = 0;
    while (n < count) {
        while (i < line.size() && IsSeparator(line[i]))
            ++i;
        if (i == line.size())
            break;
        const std::size_t start = i;
        while (i < line.size() && !IsSeparator(line[i]))
            ++i;
        items[n++] = line.substr(start, i - start);
    }
    return n;
}

Failure<CurveProblem> LineFailure(CurveProblem code, std::size_t line, const std::string& what) {
    return {code, Printf("Line %zu: %s", line, what.c_str())};
}

} // namespace

Result<ImpedanceCurve, CurveProblem> ParseImpedanceText(std::string_view text) {
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (text.substr(0, bom.size()) == bom)
        text.remove_prefix(bom.size());
    ImpedanceCurve curve;
    curve.hasPhase = true;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos || std::strchr("*#;\"", line[first]) != nullptr)
            continue;
        std::string_view items[3];
        const std::size_t count = SplitItems(line, items, 3);
        ImpedancePoint p;
        if (count == 0 || !ReadNumberText(items[0], p.frequency))
            continue; // a header
        if (count < 2 || !ReadNumberText(items[1], p.ohms))
            return LineFailure(CurveProblem::BadLine, lineNumber,
                               "a frequency needs the impedance in ohms after it.");
        if (!(p.frequency > 0) || !(p.ohms >= 0))
            return LineFailure(CurveProblem::BadLine, lineNumber,
                               "frequencies must be above 0 Hz and impedances not negative.");
        p.degrees = std::numeric_limits<double>::quiet_NaN();
        if (count == 3 && !ReadNumberText(items[2], p.degrees))
            return LineFailure(CurveProblem::BadLine, lineNumber,
                               "the third item, the phase in degrees, is not a number.");
        curve.hasPhase = curve.hasPhase && count == 3;
        if (!curve.points.empty() && !(p.frequency > curve.points.back().frequency))
            return LineFailure(CurveProblem::NotIncreasing, lineNumber,
                               Printf("the frequency %g Hz does not rise above the %g Hz before "
                                      "it; frequencies must increase.",
                                      p.frequency, curve.points.back().frequency));
        if (curve.points.size() == kMaxCurvePoints)
            return Failure<CurveProblem>{
                CurveProblem::TooManyPoints,
                Printf("The curve has more than %zu points.", kMaxCurvePoints)};
        curve.points.push_back(p);
    }
    if (curve.points.size() < kMinCurvePoints)
        return Failure<CurveProblem>{
            CurveProblem::TooFewPoints,
            curve.points.empty()
                ? std::string("The file holds no impedance points (lines of frequency, ohms "
                              "and phase).")
                : Printf("The file holds only %zu impedance points.", curve.points.size())};
    if (!curve.hasPhase) {
        for (ImpedancePoint& p : curve.points)
            p.degrees = std::numeric_limits<double>::quiet_NaN();
    }
    return curve;
}

Result<ImpedanceCurve, CurveProblem> ReadImpedanceFile(const std::string& path) {
    std::string text;
    if (const int error = ReadWholeFile(path, kMaxCurveBytes, text); error != 0) {
        if (error == EFBIG)
            return Failure<CurveProblem>{CurveProblem::TooLarge,
                                         Printf("%s is larger than %zu MB: no impedance curve.",
                                                path.c_str(), kMaxCurveBytes / 1000000)};
        return Failure<CurveProblem>{
            CurveProblem::Unreadable,
            Printf("Cannot read %s: %s.", path.c_str(), std::strerror(error))};
    }
    Result<ImpedanceCurve, CurveProblem> curve = ParseImpedanceText(text);
    if (!curve)
        return Failure<CurveProblem>{curve.ErrorCode(), path + ": " + curve.Message()};
    return curve;
}

} // namespace orvane
