// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/Fields.h"
#include "core/units/DisplayUnits.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

class QLineEdit;
class QWidget;

namespace orvane {

// Moves values between line edits and their copies, in a fixed field order
// given by the order of the calls, in one direction:
//  Display: writes a field only when its text differs, with change
//           notifications blocked.
//  Read:    strict reading; at the first failure shows the exact message,
//           focuses that field with its text selected, and ignores every
//           later call. Ok() then reports failure.
class DataExchange {
public:
    enum class Direction { Display, Read };

    DataExchange(Direction direction, QWidget* messageParent);

    // A value of the field table: its bounds, its unit and whether it may
    // be empty are the table's (core/design/Fields.h).
    DataExchange& Field(QLineEdit* edit, FieldId id, double& value);
    DataExchange& Field(QLineEdit* edit, FieldId id, std::optional<double>& value);
    DataExchange& Field(QLineEdit* edit, FieldId id, int32_t& value);
    DataExchange& Field(QLineEdit* edit, FieldId id, std::optional<std::string>& value);

    // Plain number; "Please enter a number."
    DataExchange& Number(QLineEdit* edit, double& value);
    // Number stored first, then checked against [low, high];
    // "Please enter a number between %1 and %2."
    DataExchange& Number(QLineEdit* edit, double& value, double low, double high);
    // "Please enter an integer."
    DataExchange& Integer(QLineEdit* edit, int32_t& value);
    // Integer stored first, then checked; "Please enter an integer between %1 and %2."
    DataExchange& Integer(QLineEdit* edit, int32_t& value, int32_t low, int32_t high);

    // The same for a value kept in the record's unit (ft3, inches) and shown
    // in the chosen one (UnitChoice). A field that still shows the value's own
    // text leaves it as it is, so a dialog closed with OK changes nothing it
    // did not change; range bounds are converted for the check and the
    // message alike (DisplayUnits::DisplayBound).
    DataExchange& Number(QLineEdit* edit, double& value, DisplayUnits::Quantity quantity);
    DataExchange& Number(QLineEdit* edit, double& value, double low, double high,
                         DisplayUnits::Quantity quantity);
    DataExchange& OptionalNumber(QLineEdit* edit, std::optional<double>& value,
                                 DisplayUnits::Quantity quantity);

    // An optional number: an empty (or blank) field is no value, and no value
    // shows as an empty field; anything else as Number.
    DataExchange& OptionalNumber(QLineEdit* edit, std::optional<double>& value);
    // The same, checked against [low, high] when a value is given (and 0
    // also allowed with zeroAllowed): "Please enter a number between %1 and
    // %2." or "Please enter 0 or a number between %1 and %2."
    DataExchange& OptionalNumber(QLineEdit* edit, std::optional<double>& value, double low,
                                 double high, bool zeroAllowed = false);
    // The same for a value in the record's unit shown in the chosen one.
    DataExchange& OptionalNumber(QLineEdit* edit, std::optional<double>& value, double low,
                                 double high, bool zeroAllowed, DisplayUnits::Quantity quantity);
    // Text that may be empty: read without the blanks around it, and nothing
    // left is no value.
    DataExchange& OptionalText(QLineEdit* edit, std::optional<std::string>& value);
    // Text that must not be blank; read without the blanks around it, and
    // `message` when nothing is left.
    DataExchange& RequiredText(QLineEdit* edit, std::string& value, const QString& message);

    bool Ok() const { return m_ok; }
    bool Reading() const { return m_direction == Direction::Read; }

private:
    bool Fail(QLineEdit* edit, const QString& message);
    // [low, high] (or 0 where allowed) for a value as shown; the message when not.
    void CheckOptionalRange(QLineEdit* edit, double shown, double low, double high,
                            bool zeroAllowed);
    // Reads a converted field into `shown`; false when it stopped the exchange
    // or keeps the value unchanged (`kept`).
    bool ReadShown(QLineEdit* edit, double value, DisplayUnits::Quantity quantity, double& shown,
                   bool& kept);

    Direction m_direction;
    QWidget* m_messageParent;
    bool m_ok = true;
};

} // namespace orvane
