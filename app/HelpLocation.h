// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace orvane {

// The manual's start page, as an absolute file path, or an empty string when
// no manual is found. Looked for, in this order:
//  1. installed beside the program: <bindir>/../share/doc/orvane/html/index.html
//     (the relative step from the install's bin folder to its doc folder);
//  2. in the source tree's res/help, but only for a program that runs from
//     inside this build's folder.
QString HelpLocation();

// The same for a program in executableDir (tests use it).
QString HelpLocation(const QString& executableDir);

} // namespace orvane
