// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QLineEdit;
class QString;

namespace orvane {

// Texts the program puts into entry fields. A line edit keeps its cursor at
// the end of a text set from code, so a number longer than the field shows
// its last digits; these show the beginning, where the number starts.
namespace EntryText {

// Replaces the text (a change notification fires as for any other change)
// and shows it from its first character.
void Set(QLineEdit* edit, const QString& text);

// Selects the whole text, the cursor at its start, so typing replaces it
// while its beginning stays in view.
void SelectAll(QLineEdit* edit);

} // namespace EntryText

} // namespace orvane
