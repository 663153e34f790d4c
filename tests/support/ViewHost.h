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
        for (auto* actions : {&marks.box, &marks.amplitude}) {
            for (auto& action : *actions) {
                action = new QAction(&actionOwner);
                action->setCheckable(true);
            }
        }
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

    // Replaces a field's text by typing, as a user would.
    void Type(COrvaneView::Field field, const QString& text) const {
        QLineEdit* edit = Edit(field);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    // Types and presses Enter, which runs Plot.
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
    static int Checked(const std::array<QAction*, 4>& actions) {
        int found = -1;
        for (int i = 0; i < 4; ++i) {
            if (actions[static_cast<size_t>(i)]->isChecked())
                found = found == -1 ? i : -2;
        }
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

} // namespace orvane
