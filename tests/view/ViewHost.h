#pragma once

#include "design/COrvaneDoc.h"
#include "view/COrvaneView.h"
#include "view/ViewMarks.h"

#include <QAction>
#include <QLineEdit>
#include <QtTest>

#include <functional>
#include <memory>

// A document and one design view on it, with the view's own Box and Amplitude
// actions, shown offscreen: what the main window will later provide.
class ViewHost {
public:
    explicit ViewHost(const std::function<void(SpeakerDesign&)>& setup = {},
                      QSize size = QSize(800, 600), bool show = true) {
        doc.OnNewDocument();
        if (setup)
            setup(doc.Design());
        for (auto& action : marks.box)
            action = MakeAction();
        for (auto& action : marks.amplitude)
            action = MakeAction();
        marks.amplitude[0]->setChecked(true); // as the menu is built
        view = std::make_unique<COrvaneView>(doc, marks);
        view->resize(size);
        if (show) {
            view->show();
            view->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(view.get()));
        }
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
    void Enter(COrvaneView::Field field) const { QTest::keyClick(Edit(field), Qt::Key_Return); }

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
    int CheckedAmplitude() const { return Checked(marks.amplitude); }

    COrvaneDoc doc;
    QObject actionOwner;
    ViewMarks marks;
    std::unique_ptr<COrvaneView> view;

private:
    QAction* MakeAction() {
        auto* action = new QAction(&actionOwner);
        action->setCheckable(true);
        return action;
    }
};

// The reference driver of the examples: Fs 30 Hz, Qts 0.4, Vas 3 ft3.
inline void ReferenceDriver(SpeakerDesign& design) {
    design.m_fs = 30;
    design.m_qts = 0.4;
    design.m_vas = 3;
}
