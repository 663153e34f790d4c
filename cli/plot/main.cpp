// SPDX-License-Identifier: GPL-3.0-or-later
// The plot part of orvane-cli: `orvane-cli plot` runs this program in its
// place with the words after "plot", so Qt is loaded for plotting only.
#include "cli/CliDesign.h"
#include "cli/plot/PlotExport.h"

#include <QGuiApplication>
#include <QString>
#include <cstdio>
#include <memory>
#include <optional>

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

} // namespace

int main(int argc, char** argv) {
    using namespace orvane;
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

    qInstallMessageHandler(HoldMessage);
    // Rendering needs fonts, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int appArgc = 1;
    char name[] = "orvane-cli";
    char* appArgv[] = {name, nullptr};
    const auto app = std::make_unique<QGuiApplication>(appArgc, appArgv);

    const int code = ExportPlot(request, *design);
    if (code != 0)
        std::fputs(qUtf8Printable(HeldMessages()), stderr);
    return code;
}
