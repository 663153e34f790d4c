// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

class QUrl;

namespace orvane {

// File names on Linux are bytes, and a QString holds them only when they are
// valid UTF-8. Paths that arrive from outside (the command line, the
// hand-over socket, drag and drop) therefore stay bytes all the way to
// open(), so that a file named "nonutf8-\xff.spk" opens like any other.

// The local file a URL names, as the file system's bytes (percent-encoded
// bytes decoded one for one); empty when the URL is not a local file.
QByteArray LocalFileBytes(const QUrl& url);

} // namespace orvane
