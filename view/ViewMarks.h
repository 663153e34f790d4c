// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/plot/Graph.h"

#include <array>

class QAction;

namespace orvane {

// The checkable Box, Amplitude and Graph menu entries. The main window owns
// the actions, and all design views share them, so a mark shows the most
// recent choice made in any window (the Graph mark: the active window's
// graph). A test host builds its own actions.
struct ViewMarks {
    // Sealed, Vented, Bandpass4, Bandpass6, PassiveRadiator, in BoxKind order.
    std::array<QAction*, 5> box{};
    // 1, 2, 5 and 10 dB per division.
    std::array<QAction*, 4> amplitude{};
    // The graphs, in kAllGraphs order.
    std::array<QAction*, kAllGraphs.size()> graph{};

    // Clears all five Box marks, then checks the entry of a known type.
    void SetBoxMark(BoxKind kind) const;
    // Checks the entry of dbPerDiv and clears the other three.
    void SetAmplitudeMark(int dbPerDiv) const;
    // Checks the entry of the graph and clears the others.
    void SetGraphMark(Graph shown) const;
};

} // namespace orvane
