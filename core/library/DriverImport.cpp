// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/DriverImport.h"

#include "core/files/AtomicWrite.h"
#include "core/files/ReadFile.h"
#include "core/library/DriverCsv.h"
#include "core/library/LibraryFiles.h"
#include "core/library/QspeakersXml.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvane {

namespace {

std::string ReadReason(int error) {
    if (error == EFBIG)
        return "it is larger than " + std::to_string(kMaxImportBytes >> 20) + " MiB";
    if (error == EINVAL)
        return "it is not a regular file";
    return std::strerror(error);
}

FileResult CannotRead(const std::string& path, const std::string& reason) {
    return FileResult::Fail(0, "The file " + path + " cannot be read: " + reason + ".");
}

} // namespace

std::optional<DriverFileFormat> DriverFileFormatNamed(std::string_view name) {
    if (name == "csv")
        return DriverFileFormat::Csv;
    if (name == "qspeakers")
        return DriverFileFormat::Qspeakers;
    return std::nullopt;
}

DriverFileFormat GuessDriverFileFormat(const std::string& path) {
    if (path.size() >= 4) {
        std::string suffix = path.substr(path.size() - 4);
        std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
        if (suffix == ".xml")
            return DriverFileFormat::Qspeakers;
    }
    return DriverFileFormat::Csv;
}

Result<ParsedDrivers> ReadDriverFile(const std::string& path, DriverFileFormat format) {
    std::string text;
    if (const int error = ReadWholeFile(path, kMaxImportBytes, text))
        return Failure<int>{error, CannotRead(path, ReadReason(error)).Message()};
    ParsedDrivers parsed;
    const std::optional<std::string> error = format == DriverFileFormat::Csv
                                                 ? DriverCsv::Parse(text, parsed)
                                                 : QspeakersXml::Parse(text, parsed);
    if (error)
        return CannotRead(path, *error).Error();
    return parsed;
}

Result<ImportReport> ImportDriverFile(DriverLibrary& library, const std::string& path,
                                      DriverFileFormat format, DuplicatePolicy policy) {
    Result<ParsedDrivers> parsed = ReadDriverFile(path, format);
    if (!parsed)
        return parsed.Error();
    ImportReport report;
    Result<StoreCounts> stored = library.StoreAll(parsed->entries, policy, &report.changes);
    if (!stored)
        return stored.Error();
    report.counts = *stored;
    report.refused = std::move(parsed->refused);
    return report;
}

FileResult ExportDriverFile(const DriverLibrary& library, const std::string& path) {
    if (FileResult refused = RefuseLibraryAsOutput(path, library.Path()); !refused)
        return refused;
    std::string text = DriverCsv::Header();
    if (FileResult read =
            library.ForEach({}, [&](const DriverEntry& e) { DriverCsv::AppendRow(text, e); });
        !read)
        return read;
    const AtomicWriteResult written = WriteFileAtomically(path, std::string_view(text));
    if (!written) {
        return FileResult::Fail(written.error, "The file " + path + " cannot be written: " +
                                                   std::strerror(written.error) + ".");
    }
    return FileResult::Success();
}

} // namespace orvane
