// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/measure/CurveExport.h"

#include <QString>
#include <functional>

class QPrinter;

namespace orvane {

class CDriverFitDlg;
class CExportCurvesDlg;
class COrvaneView;
class LibrarySession;

// The design view's tool commands. Each builds its dialog for one showing,
// copies the record's fields in, runs it modally and writes back only what the
// dialog's outcome allows, as one step of the window's undo stack
// (COrvaneView::Commit). The shell routes the menu and toolbar actions here.
namespace ToolCommands {

// "&Driver Parameters": the six driver fields; OK writes them back.
void OnDriverParams(COrvaneView& view);
// "&Electrical Parameters…": the driver's name, Re, Qes, Le and Pe; OK writes
// them back, and a change marks the design modified and draws it afresh.
void OnElectricalParams(COrvaneView& view);
// "A&nalysis Settings…": input power, QL and the ports of the vented
// chambers, as OnElectricalParams.
void OnAnalysisSettings(COrvaneView& view);
// Options ▸ Signal Chain…: the drive, amplifier, filters and room gain.
void OnSignalChain(COrvaneView& view);
// "&Frequency Range": applies the span only when upper - lower > 10 Hz, then
// erases and redraws the view whatever the outcome.
void OnFreqRange(COrvaneView& view);

// Box ▸ Passive Radiator Parameters: the radiators' values, one undo step.
// With a library, "Library…" picks a radiator from it.
void OnRadiatorParams(COrvaneView& view, LibrarySession* session = nullptr);
// "&Port Calculator": refused for Sealed designs and for a V1 or F1 that is not
// positive. Closed with OK and a port diameter, it offers the diameter and
// number of ports as the chamber's ports for the analysis.
void OnPortCalc(COrvaneView& view);
// "&Box Calculator": starts from V1; nothing comes back.
void OnBoxCalc(COrvaneView& view);
// "&Build…": the build values with the drawing and cut list shown live; OK
// stores them with the design as one step. Print… prints on `printer`.
void OnBuild(COrvaneView& view, QPrinter* printer = nullptr);
// "Calculate &T/S Parameters": "Use Results" stores Fs, Qts and Vas.
void OnTsParams(COrvaneView& view);
// "&Alignments…": refused while the driver has no alignment; Apply stores the
// box type, V1 and F1 (as an entered tuning) and plots.
void OnAlignments(COrvaneView& view);

// "Driver from &Impedance…": fits the driver to measured impedance curves;
// "Use" stores Fs, Qts, Qes, Re, Le when fitted, Vas when a second curve gave
// it and the cone diameter entered. With a library, "Add to Library…" adds the
// fitted driver through the library's entry dialog. `prepare` runs on the
// dialog before it shows (tests load curves and answer it there).
void OnDriverFromImpedance(COrvaneView& view,
                           const std::function<void(CDriverFitDlg&)>& prepare = {},
                           LibrarySession* session = nullptr);
// "Export &Curves…": the design's predicted sound pressure (.frd) or one
// driver's impedance (.zma): the Export Curves window takes the format, the
// points per octave, the range, the drive, the distance and the space (48
// points an octave from 10 Hz to 20 kHz, at the analysis power, 1 m, half
// space unless changed); then `askPath` chooses the file for that format.
// A failure is shown. `prepare` runs on the window before it shows.
void OnExportCurves(COrvaneView& view, const std::function<QString(CurveFormat)>& askPath,
                    const std::function<void(CExportCurvesDlg&)>& prepare = {});

// "&Library…": the driver library dialog, its drivers only. "Use" puts the
// chosen driver's values and name (and its displacement, when it has one)
// into the design, marks it changed and draws it afresh. A
// library that cannot be read is reported first; the dialog then offers to
// start a new one.
void OnDriverLibrary(COrvaneView& view, LibrarySession& session);

// Installs the first-draw check as the view's after-draw hook: while the
// record's Fs is zero and the view has not asked yet, ask for the driver once.
void InstallFirstDrawCheck(COrvaneView& view);

} // namespace ToolCommands

} // namespace orvane
