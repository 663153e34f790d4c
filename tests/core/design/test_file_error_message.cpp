// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/FileErrorMessage.h"

#include <QtTest>
#include <cerrno>

using namespace orvane;

// One row per message class. The path holds "%1" so that a second expansion would show.
class TestFileErrorMessage : public QObject {
    Q_OBJECT
private slots:
    void mapping_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("opening");
        QTest::addColumn<QString>("load");
        QTest::addColumn<QString>("save");
        const QString notFound = "%1\nCannot find this file.\nPlease verify that the correct "
                                 "path and file name are given.";
        QTest::newRow("ENOENT") << ENOENT << true << notFound << notFound;
        QTest::newRow("EACCES") << EACCES << false
                                << "Unable to read from %1, it is opened by someone else."
                                << "Unable to write to %1, it is read-only or opened by "
                                   "someone else.";
        QTest::newRow("ENOSPC") << ENOSPC << false << "Destination disk drive is full."
                                << "Destination disk drive is full.";
        QTest::newRow("EIO") << EIO << true << "An unexpected error occurred while reading %1."
                             << "An unexpected error occurred while writing %1.";
        QTest::newRow("other opening") << EINVAL << true << "Failed to open document."
                                       << "Invalid filename.";
        QTest::newRow("other transferring") << EXDEV << false << "Failed to open document."
                                            << "Failed to save document.";
    }
    void mapping() {
        QFETCH(int, error);
        QFETCH(bool, opening);
        QFETCH(QString, load);
        QFETCH(QString, save);
        const QString path = "/home/u/My %1 Designs/box.spk";
        const FilePhase phase = opening ? FilePhase::Open : FilePhase::Transfer;
        const auto message = [&](FileDirection direction) {
            return QString::fromStdString(
                FileErrorMessage(error, direction, phase, path.toStdString()));
        };
        QCOMPARE(message(FileDirection::Load), load.replace("%1", path));
        QCOMPARE(message(FileDirection::Save), save.replace("%1", path));
    }
};

QTEST_APPLESS_MAIN(TestFileErrorMessage)
#include "test_file_error_message.moc"
