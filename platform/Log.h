// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

namespace orvane {

// The program's one logging category, "orvane". Failures that are
// deliberately not shown to the user (the settings file not written at exit,
// the desktop registration) are warnings in it: on stderr by default, and
// QT_LOGGING_RULES selects or silences them ("orvane.warning=false").
Q_DECLARE_LOGGING_CATEGORY(lcOrvane)

} // namespace orvane
