// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ViewPrinting.h"

#include "view/COrvaneView.h"

#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

namespace orvane {

namespace ViewPrinting {

bool Print(COrvaneView& view, QPrinter& printer, QWidget* parent) {
    printer.setFromTo(1, 1);
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, 1);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    view.PrintOn(printer);
    return true;
}

void Preview(COrvaneView& view, QPrinter& printer, int& pages, QWidget* parent) {
    QPrintPreviewDialog dialog(&printer, parent);
    // The view may close while the preview runs (a message loop is running).
    QPointer<COrvaneView> guarded(&view);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [guarded](QPrinter* target) {
                         if (guarded)
                             guarded->PrintOn(*target);
                     });
    auto* widget = dialog.findChild<QPrintPreviewWidget*>();
    if (widget != nullptr) {
        widget->setViewMode(pages == 2 ? QPrintPreviewWidget::FacingPagesView
                                       : QPrintPreviewWidget::SinglePageView);
    }
    dialog.exec();
    if (widget != nullptr)
        pages = widget->viewMode() == QPrintPreviewWidget::FacingPagesView ? 2 : 1;
}

void PageSetup(QPrinter& printer, QWidget* parent) {
    QPageSetupDialog dialog(&printer, parent);
    dialog.exec();
}

} // namespace ViewPrinting

} // namespace orvane
