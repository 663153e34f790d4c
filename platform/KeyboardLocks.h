// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

namespace orvane {

// The keyboard's lock indicators as the window system reports them.
struct KeyboardLocks {
    bool caps = false;
    bool num = false;
    bool scroll = false;

    // Asks the X server through XKB. Empty where the platform does not tell
    // (Wayland, the offscreen platform, an X server without XKB).
    static std::optional<KeyboardLocks> Query();
};

} // namespace orvane
