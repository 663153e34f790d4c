// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QPrinter;
class QWidget;

namespace orvane {

class COrvaneView;

// The print commands of a design window, over the application's one printer.
// The page itself is the view's: one page, header and plot. Jobs and files
// carry the design's title as their document name.
namespace ViewPrinting {

// The print dialog, offering pages 1 to 1; prints the page on OK.
bool Print(COrvaneView& view, QPrinter& printer, QWidget* parent);

// The preview of the one page, over most of the parent's window. `pages` is
// how many pages were last shown side by side (0: never chosen); the preview
// starts in that mode, its toolbar showing it, and stores the choice the user
// leaves it with (1 or 2).
void Preview(COrvaneView& view, QPrinter& printer, int& pages, QWidget* parent);

// Print Setup: the printer dialog without printing, to choose the printer,
// its paper and orientation and its other options for the next print job.
void PrintSetup(QPrinter& printer, QWidget* parent);

} // namespace ViewPrinting

} // namespace orvane
