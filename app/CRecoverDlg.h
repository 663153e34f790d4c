// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

#include <vector>

class QPushButton;
class QTreeWidget;

namespace orvane {

// "Recover Unsaved Designs": the autosaves a program that ended without
// saving left behind. Recover and Discard act on the selected rows (all of
// them at first), which then leave the list; Later, or closing, keeps the
// rest for the next start. A damaged autosave can only be discarded.
class CRecoverDlg : public QDialog {
    Q_OBJECT
public:
    struct Row {
        QString title;   // the design's title, or the autosave's name when unknown
        QString file;    // its own file; empty when never saved
        QString saved;   // when it was written
        QString problem; // why it cannot be recovered; empty when it can
    };
    enum class Choice { Later, Recover, Discard };

    explicit CRecoverDlg(std::vector<Row> rows, QWidget* parent = nullptr);

    Choice ChoiceOf(std::size_t row) const { return m_choices[row]; }
    QTreeWidget* List() const { return m_list; }

private:
    void Choose(Choice choice);
    void UpdateButtons();

    std::vector<Row> m_rows;
    std::vector<Choice> m_choices;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_recover = nullptr;
    QPushButton* m_discard = nullptr;
};

} // namespace orvane
