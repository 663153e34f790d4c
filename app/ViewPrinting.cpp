// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ViewPrinting.h"

#include "core/design/COrvaneDoc.h"
#include "view/COrvaneView.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>

namespace orvane {

namespace {

// The print preview's share of its parent window.
constexpr double kPreviewShare = 0.9;

void NameJob(QPrinter& printer, const COrvaneView& view) {
    printer.setDocName(QFile::decodeName(QByteArray::fromStdString(view.GetDocument().Title())));
}

} // namespace

namespace ViewPrinting {

bool Print(COrvaneView& view, QPrinter& printer, QWidget* parent) {
    printer.setFromTo(1, 1);
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, 1);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    NameJob(printer, view);
    view.PrintOn(printer);
    return true;
}

void Preview(COrvaneView& view, QPrinter& printer, int& pages, QWidget* parent) {
    NameJob(printer, view);
    QPrintPreviewDialog dialog(&printer, parent);
    // The view may close while the preview runs (a message loop is running).
    QPointer<COrvaneView> guarded(&view);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [guarded](QPrinter* target) {
                         if (guarded)
                             guarded->PrintOn(*target);
                     });
    if (parent != nullptr) {
        // Wide enough for its whole toolbar, as far as the screen allows.
        QSize size = (parent->window()->size() * kPreviewShare).expandedTo(dialog.sizeHint());
        if (const QScreen* screen = parent->screen())
            size = size.boundedTo(screen->availableSize());
        dialog.resize(size);
    }
    // Through the toolbar's own action, so that its button shows the mode too.
    const char* mode = pages == 2 ? "facingModeAction" : "singleModeAction";
    if (auto* action = dialog.findChild<QAction*>(QString::fromLatin1(mode)))
        action->trigger();
    auto* widget = dialog.findChild<QPrintPreviewWidget*>();
    dialog.exec();
    if (widget != nullptr)
        pages = widget->viewMode() == QPrintPreviewWidget::FacingPagesView ? 2 : 1;
}

void PrintSetup(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    // Nothing is printed from here: no pages to choose, and OK only keeps
    // the settings for the next job.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    }
    dialog.exec();
}

} // namespace ViewPrinting

} // namespace orvane
