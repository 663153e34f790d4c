// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace orvane {

// What a design window plots against frequency. Response is the relative
// response of the enclosure models; the others come from the analysis.
// Chain is the signal chain's gain (with the room gain) and phase.
enum class Graph { Response, Spl, MaxSpl, Excursion, Velocity, Impedance, Delay, Chain };

inline constexpr std::array kAllGraphs = {Graph::Response,  Graph::Spl,      Graph::MaxSpl,
                                          Graph::Excursion, Graph::Velocity, Graph::Impedance,
                                          Graph::Delay,     Graph::Chain};

// The word that names a graph in the settings file and on orvane-cli's
// command line: response, spl, maxspl, excursion, velocity, impedance, delay,
// chain.
std::string_view GraphName(Graph graph);
// The graph a word names, exactly as GraphName writes it.
std::optional<Graph> GraphFromName(std::string_view name);

} // namespace orvane
