// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/DriverImport.h"

#include "core/files/AtomicWrite.h"
#include "core/files/ReadFile.h"
#include "core/library/DriverCsv.h"
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

FileResult ReadDriverFile(const std::string& path, DriverFileFormat format, ParsedDrivers& out) {
    out = ParsedDrivers{};
    std::string text;
    if (const int error = ReadWholeFile(path, kMaxImportBytes, text)) {
        FileResult failure = CannotRead(path, ReadReason(error));
        return FileResult::Fail(error, failure.Message());
    }
    const std::optional<std::string> error = format == DriverFileFormat::Csv
                                                 ? DriverCsv::Parse(text, out)
                                                 : QspeakersXml::Parse(text, out);
    if (error) {
        out = ParsedDrivers{};
        return CannotRead(path, *error);
    }
    return FileResult::Success();
}

FileResult ImportDriverFile(DriverLibrary& library, const std::string& path,
                            DriverFileFormat format, DuplicatePolicy policy, ImportReport& report) {
    report = ImportReport{};
    ParsedDrivers parsed;
    if (FileResult read = ReadDriverFile(path, format, parsed); !read)
        return read;
    StoreCounts counts;
    if (FileResult stored = library.StoreAll(parsed.entries, policy, counts); !stored)
        return stored;
    report.counts = counts;
    report.refused = std::move(parsed.refused);
    return FileResult::Success();
}

FileResult ExportDriverFile(const DriverLibrary& library, const std::string& path) {
    std::vector<DriverEntry> entries;
    if (FileResult read = library.All(entries); !read)
        return read;
    const std::string text = DriverCsv::Write(entries);
    const AtomicWriteResult written = WriteFileAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (!written) {
        return FileResult::Fail(written.error, "The file " + path + " cannot be written: " +
                                                   std::strerror(written.error) + ".");
    }
    return FileResult::Success();
}

} // namespace orvane
