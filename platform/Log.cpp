// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Log.h"

namespace orvane {

Q_LOGGING_CATEGORY(lcOrvane, "orvane")

} // namespace orvane
