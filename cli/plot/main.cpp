// SPDX-License-Identifier: GPL-3.0-or-later
// The plot part of orvane-cli: `orvane-cli plot` runs this program in its
// place with the words after "plot", so Qt is loaded for plotting only.
#include "cli/CliDesign.h"
#include "cli/plot/BuildExport.h"
#include "cli/plot/PlotExport.h"

#include <QGuiApplication>
#include <QString>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>

namespace {

// Qt's diagnostics while plotting ("QStandardPaths: XDG_RUNTIME_DIR not
// set", font notes). A plot that was written needs none of them; one that
// failed shows them after its own message.
QString& HeldMessages() {
    static QString messages;
    return messages;
}

void HoldMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(message));
        return; // Qt aborts after this
    }
    HeldMessages() += message + '\n';
}

// Qt for drawing only: offscreen unless told otherwise, its notes held.
std::unique_ptr<QGuiApplication> StartQt() {
    qInstallMessageHandler(HoldMessage);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int appArgc = 1;
    static char name[] = "orvane-cli";
    static char* appArgv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(appArgc, appArgv);
}

} // namespace

int main(int argc, char** argv) {
    using namespace orvane;
    if (argc > 1 && std::string_view(argv[1]) == "build") {
        // orvane-cli build has checked the line and written the numbers.
        const CliArgs args = ParseCliArgs(argc, argv, 2);
        if (!args.error.empty()) {
            std::fprintf(stderr, "orvane-cli: %s\n", args.error.c_str());
            return 2;
        }
        const auto app = StartQt();
        const int code = ExportBuild(args);
        if (code != 0)
            std::fputs(qUtf8Printable(HeldMessages()), stderr);
        return code;
    }
    const CliArgs args = ParseCliArgs(argc, argv, 1);
    PlotRequest request;
    std::string error = args.error;
    if (!error.empty() || !ReadPlotRequest(args, request, error)) {
        std::fprintf(stderr, "orvane-cli: %s\nusage:\n  orvane-cli %s\n", error.c_str(),
                     kPlotUsage);
        return 2;
    }

    // A design that cannot be read needs no Qt.
    const std::optional<SpeakerDesign> design = LoadDesignOrReport(request.design);
    if (!design || ReportEmptySweep(ComputeSweepRange(*design)))
        return 1;

    // Rendering needs fonts, not a display.
    const auto app = StartQt();

    const int code = ExportPlot(request, *design);
    if (code != 0)
        std::fputs(qUtf8Printable(HeldMessages()), stderr);
    return code;
}
