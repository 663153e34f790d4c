// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace orvane {

// Makes the desktop know design files: the MIME type application/x-orvane-spk
// ("spkr Document", *.spk in any letter case) and a desktop entry that opens
// them with this program. Run at every start; writes only into the user's own
// data folder ($XDG_DATA_HOME, default ~/.local/share) and only files whose
// content differs from what is there, each atomically. No failure is shown to
// the user (the program works the same without the association); each is a
// warning of the "orvane" logging category.
//
// *.spk is never taken from another MIME type: when the glob databases of the
// user's or the system's data folders already give *.spk to a different type,
// the MIME type is still written (so the desktop entry's MimeType line means
// something) but without its glob.
//
// An installed package puts the same desktop entry and MIME type into a
// system data folder ($XDG_DATA_DIRS). Then nothing is written, and the
// copies an earlier start left in the user's folder are removed, so that they
// neither shadow the package's entry nor point at a program that is gone.
// Copies the user changed are kept. Files under the names of version 1.0.0.1
// (orvane.desktop, orvane-spk.xml, orvane.svg, application-x-orvane-spk.svg)
// are removed in either case: they would show a second menu entry.
class ShellIntegration {
public:
    // The application ID names the desktop entry, the icons, the MIME package
    // and the AppStream metainfo (res/CMakeLists.txt installs them so).
    static inline const QString kAppId = QStringLiteral("io.github.orvane.Orvane");
    static inline const QString kMimeType = QStringLiteral("application/x-orvane-spk");
    static inline const QString kMimeFileName = kAppId + QStringLiteral(".xml");
    static inline const QString kDesktopFileName = kAppId + QStringLiteral(".desktop");
    static inline const QString kAppIconName = kAppId;
    static inline const QString kMimeIconName =
        kAppId + QStringLiteral("-application-x-orvane-spk");

    struct Outcome {
        bool systemInstalled = false; // a system data folder has our entry and MIME type
        bool claimsGlob = false;      // the MIME type on disk claims *.spk
        bool mimeWritten = false;     // mime/packages/<id>.xml was (re)written
        bool desktopWritten = false;  // applications/<id>.desktop was (re)written
        bool iconsWritten = false;    // an icon under icons/hicolor was (re)written
        bool removed = false;         // an own copy or a file of an old name was removed
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

    // True when one of DataDirs() holds both applications/<id>.desktop and
    // mime/packages/<id>.xml, as the package installs them.
    static bool SystemHasPackage();

    // core/files/XdgPaths' DataHome() and DataDirs(), as QStrings.
    static QString DataHome();
    static QStringList DataDirs();
};

} // namespace orvane
