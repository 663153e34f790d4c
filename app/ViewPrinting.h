// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QPrinter;
class QWidget;

namespace orvane {

class COrvaneView;

// The print commands of a design window, over the application's one printer.
// The page itself is the view's: one page, header and plot.
namespace ViewPrinting {

// The print dialog, offering pages 1 to 1; prints the page on OK.
bool Print(COrvaneView& view, QPrinter& printer, QWidget* parent);

// The preview of the one page. `pages` is how many pages were last shown
// side by side (0: never chosen); the preview starts with it and stores the
// choice the user leaves it with (1 or 2).
void Preview(COrvaneView& view, QPrinter& printer, int& pages, QWidget* parent);

// Page size, orientation and margins of the application's printer.
void PageSetup(QPrinter& printer, QWidget* parent);

} // namespace ViewPrinting

} // namespace orvane
