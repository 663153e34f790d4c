// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandTexts.h"

#include <array>
#include <cstdlib>

namespace orvane {

namespace {

constexpr std::array kTexts = {
    CommandText{ID_FILE_NEW, "&New", "Ctrl+N", "Create a new document\nNew"},
    CommandText{ID_FILE_OPEN, "&Open...", "Ctrl+O", "Open an existing document\nOpen"},
    CommandText{ID_FILE_CLOSE, "&Close", "", "Close the active document\nClose"},
    CommandText{ID_FILE_SAVE, "&Save", "Ctrl+S", "Save the active document\nSave"},
    CommandText{ID_FILE_SAVE_AS, "Save &As...", "",
                "Save the active document with a new name\nSave As"},
    CommandText{ID_FILE_PRINT, "&Print...", "Ctrl+P", "Print the active document\nPrint"},
    CommandText{ID_FILE_PRINT_PREVIEW, "Print Pre&view", "", "Display full pages\nPrint Preview"},
    CommandText{ID_FILE_EXPORT_GRAPH, "&Export Graph…", "",
                "Save the graph as a PNG or SVG picture, a PDF page or a CSV table of its "
                "curves\nExport Graph"},
    CommandText{ID_FILE_PRINT_SETUP, "P&rint Setup...", "",
                "Change the printer and printing options\nPrint Setup"},
    // The recent-file entries get their labels from the list itself.
    CommandText{ID_FILE_MRU_FILE1, "", "", "Open this document"},
    CommandText{ID_FILE_MRU_FILE2, "", "", "Open this document"},
    CommandText{ID_FILE_MRU_FILE3, "", "", "Open this document"},
    CommandText{ID_FILE_MRU_FILE4, "", "", "Open this document"},
    CommandText{ID_APP_EXIT, "E&xit", "", "Quit the application; prompts to save documents\nExit"},
    CommandText{ID_VIEW_TOOLBAR, "&Toolbar", "", "Show or hide the toolbar\nToggle ToolBar"},
    CommandText{ID_VIEW_STATUS_BAR, "&Status Bar", "",
                "Show or hide the status bar\nToggle StatusBar"},
    CommandText{ID_REDRAW, "&Redraw", "", "Erase current plot and redraw\nRedraw"},
    CommandText{ID_GRAPH_RESPONSE, "&Response", "Ctrl+1",
                "Show the response of the enclosure relative to its passband\nResponse"},
    CommandText{ID_GRAPH_SPL, "&SPL at Input Power", "Ctrl+2",
                "Show the sound pressure level at 1 m for the input power\nSPL at Input Power"},
    CommandText{ID_GRAPH_MAX_SPL, "&Maximum SPL", "Ctrl+3",
                "Show the highest level that Xmax and Pe allow, and the power it takes\nMaximum "
                "SPL"},
    CommandText{ID_GRAPH_EXCURSION, "Cone &Excursion", "Ctrl+4",
                "Show the peak cone excursion at the input power against Xmax\nCone Excursion"},
    CommandText{ID_GRAPH_VELOCITY, "&Port Air Velocity", "Ctrl+5",
                "Show the peak air velocity in the ports at the input power\nPort Air Velocity"},
    CommandText{ID_GRAPH_IMPEDANCE, "&Impedance", "Ctrl+6",
                "Show the impedance magnitude and phase of one driver\nImpedance"},
    CommandText{ID_GRAPH_DELAY, "Group &Delay", "Ctrl+7",
                "Show the group delay of the sound pressure\nGroup Delay"},
    CommandText{ID_GRAPH_CHAIN, "Signal &Chain", "Ctrl+8",
                "Show the gain and phase of the filters, with the room gain\nSignal Chain"},
    CommandText{ID_DRIVER_PARAMS, "&Driver Parameters", "",
                "Enter Driver parameters i.e. Thiele-Small, Xmax, No\nDriver Parameters"},
    CommandText{ID_DRIVER_LIBRARY, "&Library…", "",
                "Pick a driver from the driver library, or add, import and export drivers\nDriver "
                "Library"},
    CommandText{ID_DRIVER_ELECTRICAL, "&Electrical Parameters…", "",
                "Enter the driver's name, Re, Qes, Le and Pe for the analysis\nElectrical "
                "Parameters"},
    CommandText{ID_BOX_SEALED, "&Sealed", "", "Use a sealed enclosure"},
    CommandText{ID_BOX_VENTED, "&Vented", "", "Use a vented enclosure"},
    CommandText{ID_BOX_BANDPASS4, "&4th order Bandpass", "",
                "Use a 4th order bandpass enclosure i.e. sealed back chamber, vented front "
                "chamber"},
    CommandText{ID_BOX_BANDPASS6, "&6th order Bandpass", "",
                "Use a 6th order bandpass enclosure i.e. vented front and rear chambers"},
    CommandText{ID_BOX_PASSIVE_RADIATOR, "&Passive Radiator", "",
                "Use a box with passive radiators in place of a port"},
    CommandText{ID_BOX_PR_PARAMS, "Passive &Radiator Parameters…", "",
                "Enter the passive radiators' values and find the mass for a tuning\nPassive "
                "Radiator Parameters"},
    CommandText{ID_BOX_ALIGNMENTS, "&Alignments…", "",
                "Find the sealed box volume or vented tuning for the driver\nAlignments"},
    CommandText{ID_TOOLS_PORT_CALC, "&Port Calculator", "",
                "Calculate cylindrical port diameter and length for given alignment\nPort "
                "Calculator"},
    CommandText{ID_TOOLS_BOX_CALC, "&Box Calculator", "",
                "Calculate optimum internal and baffle dimensions\nBox Calculator"},
    CommandText{ID_TOOLS_TS_PARAMS, "Calculate &T/S Parameters", "",
                "Derive Fs, Qts, and Vas from measured driver properties\nCalculate T/S "
                "Parameters"},
    CommandText{ID_TOOLS_BUILD, "B&uild…", "",
                "Gross volume, panels, cut list and drawing for building the box\nBuild"},
    CommandText{ID_FREQ_RANGE, "&Frequency Range", "", "Set freqency range\nFrequency Range"},
    CommandText{ID_AMPLITUDE_1, "1", "", ""},
    CommandText{ID_AMPLITUDE_2, "2", "", ""},
    CommandText{ID_AMPLITUDE_5, "5", "", ""},
    CommandText{ID_AMPLITUDE_10, "10", "", ""},
    CommandText{ID_ANALYSIS_SETTINGS, "A&nalysis Settings…", "",
                "Set the input power, the box losses and the ports of the analysis\nAnalysis "
                "Settings"},
    CommandText{ID_SIGNAL_CHAIN, "&Signal Chain…", "",
                "Set the drive, the amplifier, the filters and the room gain\nSignal Chain"},
    CommandText{ID_UNITS_IMPERIAL, "&Imperial (ft³, in)", "",
                "Show volumes in cubic feet and lengths in inches"},
    CommandText{ID_UNITS_METRIC, "&Metric (litres, cm, mm)", "",
                "Show volumes in litres, lengths in centimetres and Xmax in millimetres"},
    CommandText{ID_WINDOW_NEW, "&New Window", "",
                "Open another window for the active document\nNew Window"},
    CommandText{ID_WINDOW_CASCADE, "&Cascade", "",
                "Arrange windows so they overlap\nCascade Windows"},
    CommandText{ID_WINDOW_TILE_HORZ, "&Tile", "",
                "Arrange windows as non-overlapping tiles\nTile Windows"},
    CommandText{ID_WINDOW_ARRANGE, "&Arrange Icons", "",
                "Arrange icons at the bottom of the window\nArrange Icons"},
    CommandText{ID_HELP_INDEX, "&Help Index", "", "View help file"},
    CommandText{ID_HELP_GETTING_STARTED, "&Getting Started", "",
                "Quick info sheet to get you going"},
    CommandText{ID_APP_ABOUT, "&About orvane...", "",
                "Display program information, version number and copyright\nAbout"},
    CommandText{ID_TOOLS_DRIVER_FIT, "Driver from &Impedance…", "",
                "Fit the driver's Thiele/Small parameters to measured impedance curves\nDriver "
                "from Impedance"},
    CommandText{ID_FILE_EXPORT_CURVES, "Export C&urves…", "",
                "Write the predicted response or impedance as an FRD or ZMA file for crossover "
                "tools\nExport Curves"},
};

} // namespace

std::span<const CommandText> AllCommandTexts() {
    return kTexts;
}

const CommandText& CommandTextOf(CommandId id) {
    for (const CommandText& text : kTexts) {
        if (text.id == id)
            return text;
    }
    std::abort(); // a CommandId without texts is a programming error
}

} // namespace orvane
