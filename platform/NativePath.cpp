// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NativePath.h"

#include <QUrl>

namespace orvane {

QByteArray LocalFileBytes(const QUrl& url) {
    if (!url.isLocalFile())
        return {};
    // Fully encoded, the path is ASCII with every other byte as %XX, including
    // the ones that are no UTF-8 and that a QString could not hold.
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

} // namespace orvane
