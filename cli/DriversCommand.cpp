// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli drivers list|import|export|remove: the driver library from the
// command line. No Qt: the library is plain core.
#include "cli/CliCommand.h"
#include "cli/CliLibrary.h"
#include "cli/Json.h"
#include "core/library/DriverImport.h"
#include "core/text/Printf.h"

#include <array>
#include <cstdio>
#include <string>

namespace orvane {

namespace {

std::string JsonOptional(const std::optional<double>& value) {
    return value ? Json::Number(*value) : Json::Null();
}

std::string EntryJson(const DriverEntry& e) {
    using Json::Number;
    Json::Object o;
    o.Add("id", Json::Integer(e.id))
        .Add("maker", Json::String(e.maker))
        .Add("model", Json::String(e.model))
        .Add("fs", Number(e.fs))
        .Add("qts", Number(e.qts))
        .Add("vas", Number(e.vas))
        .Add("coneDiameter", JsonOptional(e.coneDiameter))
        .Add("xmax", JsonOptional(e.xmax))
        .Add("efficiency", JsonOptional(e.efficiency))
        .Add("re", JsonOptional(e.re))
        .Add("qes", JsonOptional(e.qes))
        .Add("le", JsonOptional(e.le))
        .Add("pe", JsonOptional(e.pe))
        .Add("notes", Json::String(e.notes))
        .Add("created", Json::String(e.created))
        .Add("modified", Json::String(e.modified));
    return o.Str();
}

// Tab-separated, for reading and for cut and awk; the record's units.
std::string Cell(const std::optional<double>& value) {
    return value ? Printf("%g", *value) : std::string();
}

void PrintTable(const std::vector<DriverEntry>& entries) {
    std::puts("id\tmaker\tmodel\tfs\tqts\tvas_ft3\txmax_in\tre_ohm\tpe_w\tefficiency_db");
    for (const DriverEntry& e : entries) {
        std::printf("%lld\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", static_cast<long long>(e.id),
                    e.maker.c_str(), e.model.c_str(), Cell(e.fs).c_str(), Cell(e.qts).c_str(),
                    Cell(e.vas).c_str(), Cell(e.xmax).c_str(), Cell(e.re).c_str(),
                    Cell(e.pe).c_str(), Cell(e.efficiency).c_str());
    }
}

int List(const CliArgs& args) {
    if (args.positional.size() != 1)
        return CliUsageError("drivers list takes no file");
    if (const std::string bad = args.UnknownOption({"search", "json", "library"}); !bad.empty())
        return CliUsageError(bad);
    std::unique_ptr<DriverLibrary> library;
    if (!OpenExistingLibraryOrReport(CliLibraryPath(args), library))
        return 1;
    std::vector<DriverEntry> all;
    if (library) {
        if (const FileResult read = library->All(all); !read) {
            std::fprintf(stderr, "%s\n", read.Message().c_str());
            return 1;
        }
    }
    const char* search = args.Value("search");
    std::vector<DriverEntry> shown;
    for (DriverEntry& e : all) {
        if (search == nullptr || DriverMatches(e, search))
            shown.push_back(std::move(e));
    }
    if (!args.Has("json")) {
        PrintTable(shown);
        return 0;
    }
    std::string out = "[";
    for (size_t i = 0; i < shown.size(); ++i)
        out += (i == 0 ? "\n  " : ",\n  ") + EntryJson(shown[i]);
    out += shown.empty() ? "]" : "\n]";
    std::printf("%s\n", out.c_str());
    return 0;
}

int Import(const CliArgs& args) {
    if (args.positional.size() != 2)
        return CliUsageError("drivers import takes exactly one file");
    if (const std::string bad = args.UnknownOption({"format", "replace", "library"}); !bad.empty())
        return CliUsageError(bad);
    const std::string& file = args.positional[1];
    DriverFileFormat format = GuessDriverFileFormat(file);
    if (const char* name = args.Value("format")) {
        const std::optional<DriverFileFormat> named = DriverFileFormatNamed(name);
        if (!named)
            return CliUsageError("--format needs csv or qspeakers");
        format = *named;
    }
    const std::unique_ptr<DriverLibrary> library = OpenLibraryOrReport(CliLibraryPath(args));
    if (!library)
        return 1;
    const DuplicatePolicy policy =
        args.Has("replace") ? DuplicatePolicy::Replace : DuplicatePolicy::Skip;
    ImportReport report;
    if (const FileResult imported = ImportDriverFile(*library, file, format, policy, report);
        !imported) {
        std::fprintf(stderr, "%s\n", imported.Message().c_str());
        return 1;
    }
    for (const RefusedRow& row : report.refused)
        std::fprintf(stderr, "%s:%ld: %s\n", file.c_str(), row.line, row.reason.c_str());
    std::printf("added %d, replaced %d, skipped %d, refused %zu\n", report.counts.added,
                report.counts.replaced, report.counts.skipped, report.refused.size());
    return 0;
}

int Export(const CliArgs& args) {
    if (args.positional.size() != 1)
        return CliUsageError("drivers export takes no file but -o FILE");
    if (const std::string bad = args.UnknownOption({"o", "library"}); !bad.empty())
        return CliUsageError(bad);
    if (!args.Has("o"))
        return CliUsageError("drivers export needs -o FILE");
    const std::unique_ptr<DriverLibrary> library = OpenLibraryOrReport(CliLibraryPath(args));
    if (!library)
        return 1;
    if (const FileResult written = ExportDriverFile(*library, args.Value("o")); !written) {
        std::fprintf(stderr, "%s\n", written.Message().c_str());
        return 1;
    }
    return 0;
}

int Remove(const CliArgs& args) {
    if (args.positional.size() != 3)
        return CliUsageError("drivers remove takes MAKER and MODEL");
    if (const std::string bad = args.UnknownOption({"library"}); !bad.empty())
        return CliUsageError(bad);
    const std::string& maker = args.positional[1];
    const std::string& model = args.positional[2];
    std::unique_ptr<DriverLibrary> library;
    if (!OpenExistingLibraryOrReport(CliLibraryPath(args), library))
        return 1;
    bool removed = false;
    if (library) {
        if (const FileResult done = library->RemoveByName(maker, model, removed); !done) {
            std::fprintf(stderr, "%s\n", done.Message().c_str());
            return 1;
        }
    }
    if (!removed) {
        std::fprintf(stderr, "There is no driver %s %s in the library.\n", maker.c_str(),
                     model.c_str());
        return 1;
    }
    return 0;
}

int RunDrivers(const CliArgs& args) {
    const std::string what = args.positional.empty() ? std::string() : args.positional[0];
    if (what == "list")
        return List(args);
    if (what == "import")
        return Import(args);
    if (what == "export")
        return Export(args);
    if (what == "remove")
        return Remove(args);
    return CliUsageError(what.empty() ? "drivers needs list, import, export or remove"
                                      : "unknown drivers command " + what);
}

constexpr std::string_view kFlags[] = {"json", "replace"};

const CliRegistration registration(
    {"drivers",
     "drivers list [--search TEXT] [--json] [--library PATH]\n"
     "  orvane-cli drivers import FILE [--format csv|qspeakers] [--replace] [--library PATH]\n"
     "  orvane-cli drivers export -o FILE.csv [--library PATH]\n"
     "  orvane-cli drivers remove MAKER MODEL [--library PATH]",
     RunDrivers, kFlags});

} // namespace

} // namespace orvane
