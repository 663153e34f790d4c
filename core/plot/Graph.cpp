// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/plot/Graph.h"

namespace orvane {

std::string_view GraphName(Graph graph) {
    switch (graph) {
    case Graph::Response:
        return "response";
    case Graph::Spl:
        return "spl";
    case Graph::MaxSpl:
        return "maxspl";
    case Graph::Excursion:
        return "excursion";
    case Graph::Velocity:
        return "velocity";
    case Graph::Impedance:
        return "impedance";
    case Graph::Delay:
        return "delay";
    case Graph::Chain:
        return "chain";
    }
    return "response";
}

std::optional<Graph> GraphFromName(std::string_view name) {
    for (const Graph graph : kAllGraphs) {
        if (GraphName(graph) == name)
            return graph;
    }
    return std::nullopt;
}

} // namespace orvane
