// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"

namespace orvane {

// How a file operation ended: success, or the system's error number (0 when
// the failure was not the system's, such as a file in a foreign format) and
// the message to show the user.
using FileResult = Result<void, int>;

} // namespace orvane
