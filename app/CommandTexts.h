// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/CommandIds.h"

#include <span>

namespace orvane {

// The resource texts of one command: menu label (with its "&" mnemonic), the
// accelerator key, and the prompt: status text, a newline, then the tooltip
// where there is one.
struct CommandText {
    CommandId id;
    const char* label;
    const char* key; // empty when the command has no key
    const char* prompt;
};

// All commands, in no particular order.
std::span<const CommandText> AllCommandTexts();
// The entry of `id`; every CommandId has one.
const CommandText& CommandTextOf(CommandId id);

} // namespace orvane
