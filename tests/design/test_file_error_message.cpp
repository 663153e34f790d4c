#include "design/FileErrorMessage.h"

#include <QtTest>
#include <cerrno>

namespace {

const QString kPath = "/home/u/My Designs/box.spk";
const QString kNotFound = kPath + "\nCannot find this file.\nPlease verify that the correct path "
                                  "and file name are given.";
const QString kReadDenied = "Unable to read from " + kPath + ", it is opened by someone else.";
const QString kWriteDenied =
    "Unable to write to " + kPath + ", it is read-only or opened by someone else.";
const QString kDiskFull = "Destination disk drive is full.";
const QString kReadError = "An unexpected error occurred while reading " + kPath + ".";
const QString kWriteError = "An unexpected error occurred while writing " + kPath + ".";

} // namespace

class TestFileErrorMessage : public QObject {
    Q_OBJECT
private slots:
    void mapping_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("opening");
        QTest::addColumn<QString>("load");
        QTest::addColumn<QString>("save");
        auto row = [](const char* name, int error, bool opening, QString load, QString save) {
            QTest::newRow(name) << error << opening << load << save;
        };
        row("ENOENT", ENOENT, true, kNotFound, kNotFound);
        row("ENOTDIR", ENOTDIR, true, kNotFound, kNotFound);
        row("ENAMETOOLONG", ENAMETOOLONG, true, kNotFound, kNotFound);
        row("ELOOP", ELOOP, true, kNotFound, kNotFound);
        row("EACCES", EACCES, true, kReadDenied, kWriteDenied);
        row("EPERM", EPERM, true, kReadDenied, kWriteDenied);
        row("EROFS", EROFS, true, kReadDenied, kWriteDenied);
        row("ETXTBSY", ETXTBSY, true, kReadDenied, kWriteDenied);
        row("EACCES on rename", EACCES, false, kReadDenied, kWriteDenied);
        row("ENOSPC", ENOSPC, false, kDiskFull, kDiskFull);
        row("EDQUOT", EDQUOT, false, kDiskFull, kDiskFull);
        row("ENOSPC creating", ENOSPC, true, kDiskFull, kDiskFull);
        row("EIO", EIO, false, kReadError, kWriteError);
        row("EMFILE", EMFILE, true, kReadError, kWriteError);
        row("ENFILE", ENFILE, true, kReadError, kWriteError);
        row("EBADF", EBADF, false, kReadError, kWriteError);
        row("ESPIPE", ESPIPE, false, kReadError, kWriteError);
        row("EISDIR", EISDIR, false, kReadError, kWriteError);
        row("EMLINK", EMLINK, true, kReadError, kWriteError);
        // Whatever the table does not name.
        row("EINVAL opening", EINVAL, true, "Failed to open document.", "Invalid filename.");
        row("EEXIST opening", EEXIST, true, "Failed to open document.", "Invalid filename.");
        row("ENOMEM transferring", ENOMEM, false, "Failed to open document.",
            "Failed to save document.");
        row("EXDEV transferring", EXDEV, false, "Failed to open document.",
            "Failed to save document.");
        row("unknown number", 99999, false, "Failed to open document.", "Failed to save document.");
        row("zero", 0, true, "Failed to open document.", "Invalid filename.");
    }
    void mapping() {
        QFETCH(int, error);
        QFETCH(bool, opening);
        QFETCH(QString, load);
        QFETCH(QString, save);
        const FilePhase phase = opening ? FilePhase::Open : FilePhase::Transfer;
        const std::string path = kPath.toStdString();
        QCOMPARE(QString::fromStdString(FileErrorMessage(error, FileDirection::Load, phase, path)),
                 load);
        QCOMPARE(QString::fromStdString(FileErrorMessage(error, FileDirection::Save, phase, path)),
                 save);
    }

    // A path holding "%1" is put in once, not expanded again.
    void pathIsInsertedVerbatim() {
        QCOMPARE(FileErrorMessage(EIO, FileDirection::Load, FilePhase::Transfer, "/a/%1%2.spk"),
                 std::string("An unexpected error occurred while reading /a/%1%2.spk."));
    }
};

QTEST_APPLESS_MAIN(TestFileErrorMessage)
#include "test_file_error_message.moc"
