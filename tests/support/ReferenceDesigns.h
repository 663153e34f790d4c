// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/model/Analysis.h"

#include <cstdio>
#include <cstdlib>

namespace orvane {

// The reference driver of the examples, tests and benchmarks: Fs 30 Hz,
// Qts 0.4, Vas 3 ft3, one driver.
inline SpeakerDesign ReferenceDriver() {
    SpeakerDesign d;
    d.m_fs = 30, d.m_qts = 0.4, d.m_vas = 3;
    return d;
}

// The reference box of each type around that driver: sealed V1 1.5; vented
// V1 2 (tuning chosen by the program); 4th-order bandpass V1 1 at 60 Hz with
// V2 1; 6th-order bandpass V1 1 at 40 Hz with V2 1.5 at 90 Hz; passive
// radiators V1 2 with two radiators of Fs 14.36 Hz, Vas 2.55 ft3, Sd 36.44
// in2, Qms 9.4, Xmax 0.4 in.
inline SpeakerDesign ReferenceDesign(BoxKind kind) {
    SpeakerDesign d = ReferenceDriver();
    d.m_boxType = std::string(BoxType::Name(kind));
    const bool bandpass = kind == BoxKind::Bandpass4 || kind == BoxKind::Bandpass6;
    const bool radiators = kind == BoxKind::PassiveRadiator;
    d.m_v1 = kind == BoxKind::Sealed                ? 1.5
             : kind == BoxKind::Vented || radiators ? 2
             : bandpass                             ? 1
                                                    : 0;
    if (radiators) {
        DesignExtras& x = d.m_extras;
        x.prFs = 14.36, x.prVas = 2.55, x.prSd = 36.44, x.prQms = 9.4, x.prXmax = 0.4;
        x.prCount = 2;
    }
    d.m_f1 = kind == BoxKind::Bandpass4 ? 60 : kind == BoxKind::Bandpass6 ? 40 : 0;
    d.m_v2 = kind == BoxKind::Bandpass4 ? 1 : kind == BoxKind::Bandpass6 ? 1.5 : 0;
    d.m_f2 = kind == BoxKind::Bandpass6 ? 90 : 0;
    return d;
}

// The driver's figures for the output limits: cone diameter 10 in, Xmax
// 0.25 in, efficiency 88 dB.
inline SpeakerDesign WithOutputFigures(SpeakerDesign d) {
    d.m_coneDiameter = 10, d.m_xmax = 0.25, d.m_efficiency = 88;
    return d;
}

// The analysis' reference driver: the output figures' driver with Re 6 Ω and
// Pe 100 W (Le 0, 1 W and QL 7 as a new design has them), in the reference
// box of a type; ports are left to the caller.
inline SpeakerDesign AnalysedDesign(BoxKind kind) {
    SpeakerDesign d = WithOutputFigures(ReferenceDesign(kind));
    d.m_extras.re = 6;
    d.m_extras.pe = 100;
    return d;
}

// The design's analysis, which the test needs to run.
inline Analysis Prepared(const SpeakerDesign& d) {
    AnalysisResult<Analysis> a = Analysis::Prepare(d);
    if (!a) {
        std::fprintf(stderr, "analysis cannot run: %s\n", a.Message().c_str());
        std::abort();
    }
    return *std::move(a);
}

} // namespace orvane
