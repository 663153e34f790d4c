// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/files/FileResult.h"
#include "core/library/DriverLibrary.h"
#include "core/library/ParsedDrivers.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

enum class DriverFileFormat { Csv, Qspeakers };

// "csv" or "qspeakers"; nothing for any other name.
std::optional<DriverFileFormat> DriverFileFormatNamed(std::string_view name);
// What a file's name suggests: ".xml" (any case) is a qspeakers database,
// anything else CSV.
DriverFileFormat GuessDriverFileFormat(const std::string& path);

// Import files larger than this are refused before they are read: the
// largest real databases are a few hundred kilobytes.
inline constexpr std::size_t kMaxImportBytes = 64u << 20;

struct ImportReport {
    StoreCounts counts;
    std::vector<RefusedRow> refused; // by line
    StoreChanges changes;            // what Undo takes back
};

// Reads and parses an import file. A file that cannot be read at all gives
// "The file PATH cannot be read: REASON."
Result<ParsedDrivers> ReadDriverFile(const std::string& path, DriverFileFormat format);

// Reads the file and stores every row it could take in one transaction. On
// failure (file or library) the library is as it was.
Result<ImportReport> ImportDriverFile(DriverLibrary& library, const std::string& path,
                                      DriverFileFormat format, DuplicatePolicy policy);

// Writes the whole library as CSV, atomically: "The file PATH cannot be
// written: REASON." on failure, with any earlier file intact. The library
// itself is never the output (RefuseLibraryAsOutput).
FileResult ExportDriverFile(const DriverLibrary& library, const std::string& path);

} // namespace orvane
