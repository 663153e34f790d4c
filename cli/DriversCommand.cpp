// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-cli drivers list|show|add|import|export|remove: the driver library
// from the command line. No Qt: the library is plain core.
#include "cli/ChunkedOutput.h"
#include "cli/CliCommand.h"
#include "cli/CliLibrary.h"
#include "cli/Json.h"
#include "core/library/DriverImport.h"
#include "core/library/DriverUnits.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

namespace orvane {

namespace {

bool EndsWithNoCase(const std::string& text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           CompareNoCase(std::string_view(text).substr(text.size() - suffix.size()), suffix) == 0;
}

std::string JsonOptional(const std::optional<double>& value) {
    return value ? Json::Number(*value) : Json::Null();
}

std::string EntryJson(const DriverEntry& e) {
    using Json::Number;
    Json::Object o;
    o.Add("id", Json::Integer(e.id))
        .Add("maker", Json::String(e.maker))
        .Add("model", Json::String(e.model))
        .Add("kind", Json::String(KindName(e.kind)))
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
        .Add("mms", JsonOptional(e.mms))
        .Add("displacement", JsonOptional(e.displacement))
        .Add("notes", Json::String(e.notes))
        .Add("created", Json::String(e.created))
        .Add("modified", Json::String(e.modified));
    return o.Str();
}

// A name as the table prints it: no control character reaches the terminal,
// whatever came into the library some other way.
void Name(ChunkedOutput& out, const std::string& text) {
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7f;
    });
    out.Text(plain ? std::string_view(text) : std::string_view(PrintableText(text)));
}

// Tab-separated, for reading and for cut and awk; the record's units, "%g".
void Cell(ChunkedOutput& out, const std::optional<double>& value) {
    out.Char('\t');
    if (!value)
        return;
    std::array<char, 32> text{};
    const auto end =
        std::to_chars(text.data(), text.data() + text.size(), *value, std::chars_format::general, 6)
            .ptr;
    out.Text(std::string_view(text.data(), static_cast<std::size_t>(end - text.data())));
}

// --kind driver|radiator: the kind asked for; false after the usage message.
bool ReadKind(const CliArgs& args, std::optional<DriverKind>& kind) {
    if (const char* name = args.Value("kind")) {
        kind = KindNamed(name);
        if (!kind)
            return CliUsageError("--kind needs driver or radiator"), false;
    }
    return true;
}

int List(const CliArgs& args) {
    if (args.positional.size() != 1)
        return CliUsageError("drivers list takes no file");
    if (const std::string bad = args.UnknownOption({"search", "json", "library", "kind"});
        !bad.empty())
        return CliUsageError(bad);
    std::optional<DriverKind> kind;
    if (!ReadKind(args, kind))
        return 2;
    std::unique_ptr<DriverLibrary> library;
    if (!OpenExistingLibraryOrReport(CliLibraryPath(args), library))
        return 1;
    const char* search = args.Value("search");
    const bool json = args.Has("json");
    // Each driver is printed as it is read: nothing waits for the whole list.
    ChunkedOutput out(stdout);
    out.Text(json ? "["
                  : "id\tmaker\tmodel\tfs\tqts\tvas_ft3\txmax_in\tre_ohm\tpe_w\tefficiency_db\t"
                    "kind\n");
    bool first = true;
    const auto print = [&](const DriverEntry& e) {
        if (kind && e.kind != *kind)
            return;
        if (json) {
            out.Text(first ? "\n  " : ",\n  ");
            out.Text(EntryJson(e));
        } else {
            out.Integer(e.id);
            out.Char('\t');
            Name(out, e.maker);
            out.Char('\t');
            Name(out, e.model);
            for (const std::optional<double>& value :
                 {std::optional<double>(e.fs), std::optional<double>(e.qts),
                  std::optional<double>(e.vas), e.xmax, e.re, e.pe, e.efficiency})
                Cell(out, value);
            out.Char('\t');
            out.Text(KindName(e.kind));
            out.Char('\n');
        }
        first = false;
    };
    if (library) {
        if (const FileResult read = library->ForEach(search != nullptr ? search : "", print);
            !read) {
            out.Finish();
            std::fprintf(stderr, "%s\n", read.Message().c_str());
            return 1;
        }
    }
    if (json)
        out.Text(first ? "]\n" : "\n]\n");
    if (!out.Finish()) {
        std::fprintf(stderr, "orvane-cli: cannot write the output: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

// The checks of `drivers show|remove MAKER MODEL`, then the library opened
// (null while there is none): 0, or the exit code after the message.
int OpenForEntry(const CliArgs& args, const char* command,
                 std::unique_ptr<DriverLibrary>& library) {
    if (args.positional.size() != 3)
        return CliUsageError(std::string("drivers ") + command + " takes MAKER and MODEL");
    if (const std::string bad = args.UnknownOption({"library"}); !bad.empty())
        return CliUsageError(bad);
    return OpenExistingLibraryOrReport(CliLibraryPath(args), library) ? 0 : 1;
}

int Show(const CliArgs& args) {
    std::unique_ptr<DriverLibrary> library;
    if (const int failed = OpenForEntry(args, "show", library))
        return failed;
    const std::string& maker = args.positional[1];
    const std::string& model = args.positional[2];
    std::optional<DriverEntry> found;
    if (library) {
        Result<std::optional<DriverEntry>> named = library->FindByName(maker, model);
        if (!named) {
            std::fprintf(stderr, "%s\n", named.Message().c_str());
            return 1;
        }
        found = std::move(*named);
    }
    if (!found) {
        std::fprintf(stderr, "There is no driver %s %s in the library.\n", maker.c_str(),
                     model.c_str());
        return 1;
    }
    std::printf("%s\n", EntryJson(*found).c_str());
    return 0;
}

// drivers add: the values in the record's units (ft³, inches), or in litres,
// centimetres and millimetres (Xmax) with --units metric, as `new` takes them.
int Add(const CliArgs& args) {
    if (args.positional.size() != 3)
        return CliUsageError("drivers add takes MAKER and MODEL");
    const std::vector<std::string_view> known = {
        "kind", "fs",           "qts",   "qms",   "vas",     "cone-diameter",
        "xmax", "efficiency",   "re",    "qes",   "le",      "pe",
        "mms",  "displacement", "notes", "units", "replace", "library"};
    if (const std::string bad = args.UnknownOption(known); !bad.empty())
        return CliUsageError(bad);
    DriverEntry e;
    e.maker = args.positional[1];
    e.model = args.positional[2];
    std::optional<DriverKind> kind;
    if (!ReadKind(args, kind))
        return 2;
    e.kind = kind.value_or(DriverKind::Driver);
    const bool radiator = e.kind == DriverKind::Radiator;
    const char* units = args.Value("units");
    const std::string_view system = units != nullptr ? units : "imperial";
    if (system != "imperial" && system != "metric")
        return CliUsageError("--units needs imperial or metric");
    const bool metric = system == "metric";
    // A radiator's total Q is its Qms; a driver's Qts is what a design takes.
    const char* q = radiator ? "qms" : "qts";
    if (args.Has(radiator ? "qts" : "qms"))
        return CliUsageError(radiator ? "a radiator takes --qms, not --qts"
                                      : "a driver takes --qts, not --qms");
    if (radiator) {
        for (const char* name : {"efficiency", "re", "qes", "le", "pe"}) {
            if (args.Has(name))
                return CliUsageError(std::string("a radiator has no motor: no --") + name);
        }
    }
    std::string error;
    if (!args.Required("fs", e.fs, error) || !args.Required(q, e.qts, error) ||
        !args.Required("vas", e.vas, error) ||
        !args.Optional("cone-diameter", e.coneDiameter, error) ||
        !args.Optional("xmax", e.xmax, error) ||
        !args.Optional("efficiency", e.efficiency, error) || !args.Optional("re", e.re, error) ||
        !args.Optional("qes", e.qes, error) || !args.Optional("le", e.le, error) ||
        !args.Optional("pe", e.pe, error) || !args.Optional("mms", e.mms, error) ||
        !args.Optional("displacement", e.displacement, error))
        return CliUsageError(error);
    if (metric) {
        e.vas = DriverUnits::LitresToCubicFeet(e.vas);
        if (e.displacement)
            *e.displacement = DriverUnits::LitresToCubicFeet(*e.displacement);
        if (e.coneDiameter)
            *e.coneDiameter /= DriverUnits::kCentimetresPerInch;
        if (e.xmax)
            *e.xmax = DriverUnits::MillimetresToInches(*e.xmax);
    }
    if (const char* notes = args.Value("notes"))
        e.notes = notes;
    if (const std::optional<std::string> reason = NormaliseDriver(e)) {
        std::fprintf(stderr, "This driver cannot be stored: %s.\n", reason->c_str());
        return 1;
    }
    const std::unique_ptr<DriverLibrary> library = OpenLibraryOrReport(CliLibraryPath(args));
    if (!library)
        return 1;
    const Result<StoreOutcome> stored =
        library->Store(e, args.Has("replace") ? DuplicatePolicy::Replace : DuplicatePolicy::Skip);
    if (!stored) {
        std::fprintf(stderr, "%s\n", stored.Message().c_str());
        return 1;
    }
    if (*stored == StoreOutcome::Skipped) {
        std::fprintf(stderr, "A driver named %s is already in the library: give --replace.\n",
                     e.Name().c_str());
        return 1;
    }
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
    const Result<ImportReport> report = ImportDriverFile(*library, file, format, policy);
    if (!report) {
        std::fprintf(stderr, "%s\n", report.Message().c_str());
        return 1;
    }
    for (const RefusedRow& row : report->refused)
        std::fprintf(stderr, "%s:%ld: %s\n", file.c_str(), row.line, row.reason.c_str());
    std::printf("added %d, replaced %d, skipped %d, refused %zu\n", report->counts.added,
                report->counts.replaced, report->counts.skipped, report->refused.size());
    return 0;
}

int Export(const CliArgs& args) {
    if (args.positional.size() != 1)
        return CliUsageError("drivers export takes no file but -o FILE");
    if (const std::string bad = args.UnknownOption({"o", "library"}); !bad.empty())
        return CliUsageError(bad);
    if (!args.Has("o"))
        return CliUsageError("drivers export needs -o FILE");
    const std::string out = args.Value("o");
    if (!EndsWithNoCase(out, ".csv"))
        return CliUsageError("drivers export writes .csv, not " + out);
    const std::unique_ptr<DriverLibrary> library = OpenLibraryOrReport(CliLibraryPath(args));
    if (!library)
        return 1;
    if (const FileResult written = ExportDriverFile(*library, out); !written) {
        std::fprintf(stderr, "%s\n", written.Message().c_str());
        return 1;
    }
    return 0;
}

int Remove(const CliArgs& args) {
    std::unique_ptr<DriverLibrary> library;
    if (const int failed = OpenForEntry(args, "remove", library))
        return failed;
    const std::string& maker = args.positional[1];
    const std::string& model = args.positional[2];
    bool removed = false;
    if (library) {
        const Result<bool> done = library->RemoveByName(maker, model);
        if (!done) {
            std::fprintf(stderr, "%s\n", done.Message().c_str());
            return 1;
        }
        removed = *done;
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
    if (what == "show")
        return Show(args);
    if (what == "add")
        return Add(args);
    if (what == "import")
        return Import(args);
    if (what == "export")
        return Export(args);
    if (what == "remove")
        return Remove(args);
    return CliUsageError(what.empty() ? "drivers needs list, show, add, import, export or remove"
                                      : "unknown drivers command " + what);
}

constexpr std::string_view kFlags[] = {"json", "replace"};

const CliRegistration registration(
    {"drivers",
     "drivers list [--search TEXT] [--kind driver|radiator] [--json] [--library PATH]\n"
     "  orvane-cli drivers show MAKER MODEL [--library PATH]\n"
     "  orvane-cli drivers add MAKER MODEL [--kind driver|radiator] --fs X --qts X|--qms X "
     "--vas X [--cone-diameter X] [--xmax X] [--efficiency X] [--re X] [--qes X] [--le X] "
     "[--pe X] [--mms G] [--displacement X] [--notes TEXT] [--units imperial|metric] [--replace] "
     "[--library PATH]\n"
     "  orvane-cli drivers import FILE [--format csv|qspeakers] [--replace] [--library PATH]\n"
     "  orvane-cli drivers export -o FILE.csv [--library PATH]\n"
     "  orvane-cli drivers remove MAKER MODEL [--library PATH]",
     RunDrivers, kFlags});

} // namespace

} // namespace orvane
