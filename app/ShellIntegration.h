// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace orvane {

// Makes the desktop know design files: the MIME type application/x-orvane-spk
// ("spkr Document", *.spk in any letter case) and a desktop entry that opens
// them with this program. Run at every start; writes only into the user's own
// data folder (DataHome(): $XDG_DATA_HOME, default ~/.local/share) and only
// files whose content differs from what is there, each atomically. No
// failure is shown to the user (the program works the same without the
// association); each is logged as a warning of the "orvane" category.
//
// *.spk is never taken from another MIME type: when the glob databases of the
// user's or the system's data folders already give *.spk to a different type,
// the MIME type is still written (so the desktop entry's MimeType line means
// something) but without its glob.
class ShellIntegration {
public:
    static inline const QString kMimeType = QStringLiteral("application/x-orvane-spk");
    static inline const QString kMimeFileName = QStringLiteral("orvane-spk.xml");
    static inline const QString kDesktopFileName = QStringLiteral("orvane.desktop");

    struct Outcome {
        bool claimsGlob = false;     // the MIME type on disk claims *.spk
        bool mimeWritten = false;    // mime/packages/orvane-spk.xml was (re)written
        bool desktopWritten = false; // applications/orvane.desktop was (re)written
        bool iconsWritten = false;   // an icon under icons/hicolor was (re)written
    };

    // The start-up step. executablePath defaults to the running program's
    // absolute path. runUpdaters starts update-mime-database and
    // update-desktop-database (when installed) in the background after a
    // change; tests turn it off.
    static Outcome Register(const QString& executablePath = QString(), bool runUpdaters = true);

    // The MIME type definition, with or without the *.spk glob.
    static QString MimeTypeXml(bool claimGlob);
    // The desktop entry with Exec pointing at executablePath (quoted and
    // escaped as desktop entries require). Empty when the path cannot be
    // written into a desktop entry (control characters, or not absolute).
    static QString DesktopEntry(const QString& executablePath);

    // True when a glob database in DataHome() or DataDirs() gives *.spk to a
    // MIME type other than ours.
    static bool GlobClaimedByOtherType();
};

} // namespace orvane
