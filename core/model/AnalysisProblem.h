// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>
#include <utility>

namespace orvane {

// Why the analysis, or one of its quantities, has no values for a design.
enum class AnalysisProblem {
    None,
    UnknownBoxType,
    NoDriver,      // Fs, Qts or Vas not above 0
    NoDriverCount, // no driver in the box
    NoConeDiameter,
    NoQesOrEfficiency,
    QesNotAboveQts, // Qes entered or from the efficiency
    NoVolume1,
    NoTuning1,
    NoVolume2,
    NoTuning2,
    NoPower, // input power not above 0
    NoQl,    // leakage Q not above 0
    // Only the quantity that needs it is missing:
    NoRe,    // impedance
    NoPort,  // port air velocity of a chamber
    NoLimit, // maximum power and SPL: neither Pe nor Xmax
};

// The sentence that tells the user what is missing or wrong.
std::string_view AnalysisProblemText(AnalysisProblem problem);

// A value, or the problem that keeps it from existing.
template <class T> class [[nodiscard]] AnalysisResult {
public:
    // Implicit both ways, so that a function returns a value or a problem.
    AnalysisResult(T value) : m_value(std::move(value)) {}
    AnalysisResult(AnalysisProblem problem) : m_problem(problem) {}

    explicit operator bool() const { return m_value.has_value(); }
    AnalysisProblem Problem() const { return m_problem; }
    std::string_view Sentence() const { return AnalysisProblemText(m_problem); }

    const T& operator*() const& { return *m_value; }
    T&& operator*() && { return std::move(*m_value); }
    const T* operator->() const { return &*m_value; }

private:
    std::optional<T> m_value;
    AnalysisProblem m_problem = AnalysisProblem::None;
};

} // namespace orvane
