// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orvane {

// Every command of the menus and the toolbar. The router keys on these.
enum CommandId : int {
    ID_FILE_NEW = 1,
    ID_FILE_OPEN,
    ID_FILE_CLOSE,
    ID_FILE_SAVE,
    ID_FILE_SAVE_AS,
    ID_FILE_PRINT,
    ID_FILE_PRINT_PREVIEW,
    ID_FILE_PRINT_SETUP,
    ID_FILE_MRU_FILE1,
    ID_FILE_MRU_FILE2,
    ID_FILE_MRU_FILE3,
    ID_FILE_MRU_FILE4,
    ID_APP_EXIT,
    ID_VIEW_TOOLBAR,
    ID_VIEW_STATUS_BAR,
    ID_REDRAW,
    ID_DRIVER_PARAMS,
    ID_DRIVER_LIBRARY,
    ID_BOX_SEALED,
    ID_BOX_VENTED,
    ID_BOX_BANDPASS4,
    ID_BOX_BANDPASS6,
    ID_TOOLS_PORT_CALC,
    ID_TOOLS_BOX_CALC,
    ID_TOOLS_TS_PARAMS,
    ID_FREQ_RANGE,
    ID_AMPLITUDE_1,
    ID_AMPLITUDE_2,
    ID_AMPLITUDE_5,
    ID_AMPLITUDE_10,
    ID_WINDOW_NEW,
    ID_WINDOW_CASCADE,
    ID_WINDOW_TILE_HORZ,
    ID_WINDOW_ARRANGE,
    ID_HELP_INDEX,
    ID_HELP_GETTING_STARTED,
    ID_APP_ABOUT,
};

} // namespace orvane
