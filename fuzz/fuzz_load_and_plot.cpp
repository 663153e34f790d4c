// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the program's whole opening path: the file is
// loaded through COrvaneDoc::Load as the program and orvane-cli load it
// (reading in steps that follow the length prefix), and whatever loads is
// drawn as a design window and as the printed page. Type names at the length
// cap and beyond it must load or fail exactly as the byte layout says.
#include "core/design/COrvaneDoc.h"
#include "core/design/DesignFile.h"
#include "core/model/ResponseModel.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/PrintPage.h"
#include "tests/support/RecordingSurface.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

using namespace orvane;

namespace {

// Sweeps are capped far above what a fuzzer should spend on each input; the
// cost of long sweeps is the benchmarks' business.
constexpr std::int64_t kMaxFuzzSweep = 4000;

// One in-memory file, rewritten for every input and opened by its path.
const std::string& MemoryFilePath() {
    static const std::string path = [] {
        const int fd = ::memfd_create("fuzz-design", MFD_CLOEXEC);
        if (fd < 0)
            std::abort();
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

int MemoryFileDescriptor() {
    return std::stoi(MemoryFilePath().substr(std::string("/proc/self/fd/").size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = MemoryFileDescriptor();
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();

    COrvaneDoc doc;
    const FileResult loaded = doc.Load(MemoryFilePath());
    // The loader reads in steps, the parser sees all bytes at once: they agree.
    const auto parsed = DesignFile::Parse(std::span(data, size));
    if (static_cast<bool>(loaded) != parsed.has_value())
        std::abort();
    if (!loaded) {
        if (loaded.Message() != DesignFile::kUnexpectedFormat)
            std::abort();
        return 0;
    }
    SpeakerDesign& design = doc.Design();
    if (!design.SameBits(*parsed) || design.m_boxType.size() > 3 * DesignFile::kMaxTypeNameBytes)
        std::abort();

    if (ComputeSweepRange(design).Count() > kMaxFuzzSweep)
        return 0;
    const bool f1Entered = StoredF1CountsAsEntered(design);
    RecordingSurface window(true);
    DrawPlot(window, design, f1Entered, PlotScale{}, 640, 480);
    RecordingSurface page(true);
    PrintPage(
        page, 4800, 6600, 0, 0, doc.Title(), design, UnitSystem::Imperial, 640, 480,
        [&](DrawSurface& s) { DrawPlot(s, design, f1Entered, ScaleForDbPerDiv(10), 640, 480); });
    return 0;
}
