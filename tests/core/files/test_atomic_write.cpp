// SPDX-License-Identifier: GPL-3.0-or-later
// The one atomic file write, beyond what the design save tests: leftovers of
// killed saves, and links that point nowhere.
#include "core/files/AtomicWrite.h"
#include "tests/support/TestFiles.h"

#include <QtTest>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

using namespace orvane;

namespace {

const std::uint8_t kBytes[] = {'n', 'e', 'w'};

// Sets the modification time `ageSeconds` into the past, of a link itself.
bool Age(const QString& path, std::time_t ageSeconds) {
    const timespec when{std::time(nullptr) - ageSeconds, 0};
    const timespec times[2] = {when, when};
    return ::utimensat(AT_FDCWD, qPrintable(path), times, AT_SYMLINK_NOFOLLOW) == 0;
}

} // namespace

class TestAtomicWrite : public QObject {
    Q_OBJECT
private slots:
    // A save removes our own temporary files that a killed save left more
    // than a day ago; younger ones (a save may be running), folders, links
    // and anything that only looks similar stay.
    void staleTemporariesAreRemoved() {
        QTemporaryDir dir;
        constexpr std::time_t kDay = 24 * 60 * 60;
        const QStringList gone = {".orvane-save-aA0zZ9", ".orvane-save-Ab12Cd"};
        const QStringList stay = {".orvane-save-Zz99Yy",     ".orvane-save-abc",
                                  ".orvane-save-Ab12Cd.bak", ".orvane-save-Ab_2Cd",
                                  ".orvane-save-Fold01",     ".orvane-save-Link01"};
        QVERIFY(QDir(dir.path()).mkdir(stay[4]) && QFile::link("notes.txt", dir.filePath(stay[5])));
        for (const QString& name : gone + stay.mid(0, 4))
            WriteBytes(dir.filePath(name), QByteArray());
        for (const QString& name : gone + stay)
            QVERIFY(Age(dir.filePath(name), name == stay[0] ? kDay - 60 : kDay + 60));
        QVERIFY(WriteFileAtomically(dir.filePath("design.spk").toStdString(), kBytes));
        QStringList expected = stay + QStringList{"design.spk"};
        expected.sort();
        QCOMPARE(Listing(dir.path()), expected);
    }

    // A link to a file that does not exist (yet) stays a link: nothing is
    // written and the caller learns why.
    void danglingLinkIsRefused() {
        QTemporaryDir dir;
        const QString link = dir.filePath("orvane.ini");
        QVERIFY(QFile::link(dir.filePath("elsewhere/orvane.ini"), link));
        const AtomicWriteResult result = WriteFileAtomically(link.toStdString(), kBytes);
        QVERIFY(!result && result.error == ENOENT && QFileInfo(link).isSymLink());
        QCOMPARE(Listing(dir.path()), QStringList{"orvane.ini"});
    }
};

QTEST_APPLESS_MAIN(TestAtomicWrite)
#include "test_atomic_write.moc"
