// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/COrvaneDoc.h"
#include "platform/Message.h"
#include "tests/support/ReferenceDesigns.h"
#include "view/COrvaneView.h"
#include "view/ViewMarks.h"

#include <QAction>
#include <QLineEdit>
#include <QtTest>

#include <functional>
#include <memory>

namespace orvane {

// A document and one design view on it with its own Box and Amplitude actions,
// as the main window provides them. Message boxes are collected, not shown.
class ViewHost {
public:
    explicit ViewHost(const std::function<void(SpeakerDesign&)>& setup = {}, bool show = true) {
        SetMessageHook([this](const MessageRecord& m) {
            messages << m.text;
            return QMessageBox::Ok;
        });
        doc.OnNewDocument();
        if (setup)
            setup(doc.Design());
        doc.SetModified(false); // the design as set up counts as saved
        for (auto& action : marks.box)
            (action = new QAction(&actionOwner))->setCheckable(true);
        for (auto& action : marks.amplitude)
            (action = new QAction(&actionOwner))->setCheckable(true);
        marks.amplitude[0]->setChecked(true); // as the menu is built
        view = std::make_unique<COrvaneView>(doc, marks);
        view->resize(800, 600);
        if (show)
            Show();
    }
    ~ViewHost() { SetMessageHook({}); }

    void Show() const {
        view->show();
        view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view.get()));
    }
    QLineEdit* Edit(COrvaneView::Field field) const { return view->FieldEdit(field); }
    // Replaces a field's text by typing, as a user would; Plot then presses Enter.
    void Type(COrvaneView::Field field, const QString& text) const {
        Edit(field)->setFocus();
        Edit(field)->selectAll();
        QTest::keyClick(Edit(field), Qt::Key_Delete);
        QTest::keyClicks(Edit(field), text);
    }
    void Plot(COrvaneView::Field field, const QString& text) const {
        Type(field, text);
        QTest::keyClick(Edit(field), Qt::Key_Return);
    }
    // "1" for an enabled field, "0" for a disabled one, V1 to Drivers.
    QString Enabled() const {
        QString states;
        for (int i = 0; i < 5; ++i)
            states += Edit(COrvaneView::Field(i))->isEnabled() ? '1' : '0';
        return states;
    }
    // Index of the one checked action, -1 for none, -2 for several.
    template <std::size_t N> static int Checked(const std::array<QAction*, N>& actions) {
        int found = -1;
        for (std::size_t i = 0; i < N; ++i)
            if (actions[i] != nullptr && actions[i]->isChecked())
                found = found == -1 ? int(i) : -2;
        return found;
    }
    int CheckedBox() const { return Checked(marks.box); }

    QStringList messages;
    COrvaneDoc doc;
    QObject actionOwner;
    ViewMarks marks;
    std::unique_ptr<COrvaneView> view;
};

// A host's set-up that starts it with the given design.
inline std::function<void(SpeakerDesign&)> Starting(SpeakerDesign design) {
    return [design](SpeakerDesign& d) { d = design; };
}

// Curve (blue) pixels of `a` below the form (60 high); with `b`, only those white in `b`.
inline int BluePixels(const QImage& a, const QImage& b = {}) {
    int count = 0;
    for (int y = 60; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            count += (a.pixel(x, y) & 0xffffff) == 0xff && (b.isNull() || b.pixel(x, y) == ~0u);
    }
    return count;
}

} // namespace orvane
