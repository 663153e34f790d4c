// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/AnalysisProblem.h"

#include "core/model/ResponseModel.h"

namespace orvane {

std::string AnalysisProblemText(AnalysisProblem problem) {
    switch (problem) {
    case AnalysisProblem::None:
        break;
    case AnalysisProblem::UnknownBoxType:
        return "The analysis knows only the box types Sealed, Vented, Bandpass4 and Bandpass6.";
    case AnalysisProblem::NoDriver:
        return "The analysis needs Fs, Qts and Vas above 0.";
    case AnalysisProblem::NoDriverCount:
        return "The analysis needs at least one driver.";
    case AnalysisProblem::NoConeDiameter:
        return "The analysis needs the cone diameter.";
    case AnalysisProblem::NoQesOrEfficiency:
        return "The analysis needs Qes or the efficiency.";
    case AnalysisProblem::QesNotAboveQts:
        return "The analysis needs Qes (entered, or from the efficiency) above Qts.";
    case AnalysisProblem::NoVolume1:
        return "The analysis needs a volume V1 above 0.";
    case AnalysisProblem::NoTuning1:
        return "The analysis needs a tuning F1 above 0.";
    case AnalysisProblem::NoVolume2:
        return "The analysis needs a volume V2 above 0.";
    case AnalysisProblem::NoTuning2:
        return "The analysis needs a tuning F2 above 0.";
    case AnalysisProblem::NoRadiator:
        return "The analysis needs the passive radiator's Fs, Vas, Sd (or diameter) and Qms: "
               "enter them in Box \u25b8 Passive Radiator Parameters.";
    case AnalysisProblem::NoPower:
        return "The analysis needs an input power above 0.";
    case AnalysisProblem::NoQl:
        return "The analysis needs QL above 0.";
    case AnalysisProblem::EmptySweep:
        return kEmptySweepText;
    case AnalysisProblem::TooExtreme:
        return "The design's values are too extreme to analyse.";
    case AnalysisProblem::BadChain:
        return "The signal chain's values cannot be used: set them again in Options \u25b8 Signal "
               "Chain.";
    case AnalysisProblem::ChainNeedsRe:
        return "An input voltage, an amplifier voltage or a series resistance needs Re: enter it "
               "in "
               "Driver \u25b8 Electrical Parameters.";
    case AnalysisProblem::NoRe:
        return "The impedance needs Re.";
    case AnalysisProblem::NoPort:
        return "The port air velocity needs a vented chamber with a port diameter.";
    case AnalysisProblem::NoLimit:
        return "The maximum power needs Pe or Xmax.";
    }
    return {};
}

} // namespace orvane
