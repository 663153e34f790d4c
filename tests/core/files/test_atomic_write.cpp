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
    // than a day ago; younger ones (a save may be running) and anything that
    // only looks similar stay.
    void staleTemporariesAreRemoved() {
        QTemporaryDir dir;
        constexpr std::time_t kTwoDays = 2 * 24 * 60 * 60;
        const struct {
            const char* name;
            std::time_t age;
            bool stays;
        } files[] = {
            {".orvane-save-Ab12Cd", kTwoDays, false},
            {".orvane-save-Zz99Yy", 60 * 60, true},      // an hour old
            {".orvane-save-abc", kTwoDays, true},        // not our pattern
            {".orvane-save-Ab12Cd.bak", kTwoDays, true}, // not our pattern
            {".orvane-save-Ab_2Cd", kTwoDays, true},     // not our pattern
            {"notes.txt", kTwoDays, true},
        };
        for (const auto& f : files) {
            WriteBytes(dir.filePath(f.name), QByteArray());
            QVERIFY(Age(dir.filePath(f.name), f.age));
        }
        // A folder and a link of our pattern are not files we made.
        QVERIFY(QDir(dir.path()).mkdir(".orvane-save-Fold01"));
        QVERIFY(Age(dir.filePath(".orvane-save-Fold01"), kTwoDays));
        QVERIFY(QFile::link("notes.txt", dir.filePath(".orvane-save-Link01")));
        QVERIFY(Age(dir.filePath(".orvane-save-Link01"), kTwoDays));

        QVERIFY(WriteFileAtomically(dir.filePath("design.spk").toStdString(), kBytes));
        QStringList expected = {"design.spk", ".orvane-save-Fold01", ".orvane-save-Link01"};
        for (const auto& f : files) {
            if (f.stays)
                expected << f.name;
        }
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
        QVERIFY(!result);
        QCOMPARE(result.error, ENOENT);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(Listing(dir.path()), QStringList{"orvane.ini"});
    }
};

QTEST_APPLESS_MAIN(TestAtomicWrite)
#include "test_atomic_write.moc"
