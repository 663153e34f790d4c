// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/ViewMarks.h"

#include <QAction>

namespace orvane {

void ViewMarks::SetBoxMark(BoxKind kind) const {
    for (size_t i = 0; i < box.size(); ++i) {
        if (box[i] != nullptr)
            box[i]->setChecked(static_cast<size_t>(kind) == i);
    }
}

void ViewMarks::SetAmplitudeMark(int dbPerDiv) const {
    static constexpr int kSteps[] = {1, 2, 5, 10};
    for (size_t i = 0; i < amplitude.size(); ++i) {
        if (amplitude[i] != nullptr)
            amplitude[i]->setChecked(kSteps[i] == dbPerDiv);
    }
}

void ViewMarks::SetGraphMark(Graph shown) const {
    for (size_t i = 0; i < graph.size(); ++i) {
        if (graph[i] != nullptr)
            graph[i]->setChecked(kAllGraphs[i] == shown);
    }
}

} // namespace orvane
