// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DataExchange.h"

#include "platform/EntryText.h"
#include "platform/Message.h"
#include "platform/NumericText.h"
#include "platform/UnitChoice.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QVariant>

#include <cmath>
#include <exception>

namespace orvane {

namespace {

// A data exchange raises no change notification of its own.
void WriteField(QLineEdit* edit, const QString& text) {
    if (edit->text() == text)
        return;
    const QSignalBlocker blocker(edit);
    EntryText::Set(edit, text);
}

QString NumberRangeMessage(double low, double high, bool zeroAllowed = false) {
    return QString::fromStdString(Fields::RangeSentence(low, high, zeroAllowed));
}

QString IntegerRangeMessage(int32_t low, int32_t high) {
    return QString::fromStdString(Fields::IntegerRangeSentence(low, high));
}

QString Sentence(std::string_view sentence) {
    return QString::fromUtf8(sentence.data(), static_cast<qsizetype>(sentence.size()));
}

// The value a field's text was written for, kept with the field.
constexpr const char* kShownText = "orvaneShownText";
constexpr const char* kShownValue = "orvaneShownValue";

// Writes a value as the program shows it, and remembers what the text stands for.
void WriteShown(QLineEdit* edit, double value) {
    const QString text = NumericText::FormatShown(value);
    WriteField(edit, text);
    edit->setModified(false); // the user's next change sets it
    edit->setProperty(kShownText, text);
    edit->setProperty(kShownValue, value);
}

// A field still showing the text the program wrote for a value stands for
// that value exactly, not for its rounded text.
bool ShowsExactly(const QLineEdit* edit, double value) {
    const QVariant shown = edit->property(kShownValue);
    return std::isfinite(value) && !edit->isModified() && shown.isValid() &&
           shown.toDouble() == value && edit->property(kShownText).toString() == edit->text();
}

} // namespace

DataExchange::DataExchange(Direction direction, QWidget* messageParent)
    : m_direction(direction), m_messageParent(messageParent) {}

DataExchange& DataExchange::Field(QLineEdit* edit, FieldId id, double& value) {
    const FieldInfo& f = Fields::Info(id);
    if (!f.bounds.Ranged())
        return Number(edit, value, f.quantity);
    return Number(edit, value, f.bounds.low, f.bounds.high, f.quantity);
}

DataExchange& DataExchange::Field(QLineEdit* edit, FieldId id, std::optional<double>& value) {
    const FieldInfo& f = Fields::Info(id);
    if (!f.bounds.Ranged())
        return OptionalNumber(edit, value, f.quantity);
    return OptionalNumber(edit, value, f.bounds.low, f.bounds.high, f.bounds.zeroAllowed,
                          f.quantity);
}

DataExchange& DataExchange::Field(QLineEdit* edit, FieldId id, int32_t& value) {
    const FieldInfo& f = Fields::Info(id);
    if (!f.bounds.Ranged())
        return Integer(edit, value);
    return Integer(edit, value, static_cast<int32_t>(f.bounds.low),
                   static_cast<int32_t>(f.bounds.high));
}

DataExchange& DataExchange::Field(QLineEdit* edit, FieldId /*id*/,
                                  std::optional<std::string>& value) {
    return OptionalText(edit, value);
}

DataExchange& DataExchange::Number(QLineEdit* edit, double& value) {
    if (m_direction == Direction::Display) {
        WriteShown(edit, value);
        return *this;
    }
    if (!m_ok || ShowsExactly(edit, value))
        return *this;
    try {
        if (const auto read = NumericText::ReadNumber(edit->text()))
            value = *read;
        else
            Fail(edit, Sentence(Fields::kNotANumber));
    } catch (const std::exception&) {
        Fail(edit, QString());
    }
    return *this;
}

DataExchange& DataExchange::Number(QLineEdit* edit, double& value, double low, double high) {
    Number(edit, value);
    // The value read stays in the copy even when it is out of range.
    if (Reading() && m_ok && !(value >= low && value <= high))
        Fail(edit, NumberRangeMessage(low, high));
    return *this;
}

DataExchange& DataExchange::Integer(QLineEdit* edit, int32_t& value) {
    if (m_direction == Direction::Display) {
        WriteField(edit, NumericText::FormatInteger(value));
        return *this;
    }
    if (!m_ok)
        return *this;
    try {
        if (const auto read = NumericText::ReadInteger(edit->text()))
            value = *read;
        else
            Fail(edit, Sentence(Fields::kNotAnInteger));
    } catch (const std::exception&) {
        Fail(edit, QString());
    }
    return *this;
}

DataExchange& DataExchange::Integer(QLineEdit* edit, int32_t& value, int32_t low, int32_t high) {
    Integer(edit, value);
    if (Reading() && m_ok && (value < low || value > high))
        Fail(edit, IntegerRangeMessage(low, high));
    return *this;
}

bool DataExchange::ReadShown(QLineEdit* edit, double value, DisplayUnits::Quantity quantity,
                             double& shown, bool& kept) {
    shown = UnitChoice::ToDisplay(quantity, value);
    kept = ShowsExactly(edit, shown);
    Number(edit, shown);
    return m_ok;
}

DataExchange& DataExchange::Number(QLineEdit* edit, double& value,
                                   DisplayUnits::Quantity quantity) {
    if (m_direction == Direction::Display) {
        WriteShown(edit, UnitChoice::ToDisplay(quantity, value));
        return *this;
    }
    if (!m_ok)
        return *this;
    double shown = 0;
    bool kept = false;
    if (ReadShown(edit, value, quantity, shown, kept) && !kept)
        value = UnitChoice::FromDisplay(quantity, shown);
    return *this;
}

DataExchange& DataExchange::Number(QLineEdit* edit, double& value, double low, double high,
                                   DisplayUnits::Quantity quantity) {
    if (m_direction == Direction::Display || !m_ok)
        return Number(edit, value, quantity);
    double shown = 0;
    bool kept = false;
    if (!ReadShown(edit, value, quantity, shown, kept))
        return *this;
    // As without units, the value read stays in the copy even out of range.
    if (!kept)
        value = UnitChoice::FromDisplay(quantity, shown);
    const UnitSystem system = UnitChoice::Current();
    const double shownLow = DisplayUnits::DisplayBound(system, quantity, low);
    const double shownHigh = DisplayUnits::DisplayBound(system, quantity, high);
    if (!(shown >= shownLow && shown <= shownHigh))
        Fail(edit, NumberRangeMessage(shownLow, shownHigh));
    return *this;
}

DataExchange& DataExchange::OptionalNumber(QLineEdit* edit, std::optional<double>& value,
                                           DisplayUnits::Quantity quantity) {
    if (m_direction == Direction::Display) {
        if (value)
            WriteShown(edit, UnitChoice::ToDisplay(quantity, *value));
        else
            WriteField(edit, QString());
        return *this;
    }
    if (!m_ok)
        return *this;
    if (edit->text().trimmed().isEmpty()) {
        value.reset();
        return *this;
    }
    double read = value.value_or(0);
    Number(edit, read, quantity);
    if (m_ok)
        value = read;
    return *this;
}

DataExchange& DataExchange::OptionalNumber(QLineEdit* edit, std::optional<double>& value) {
    if (m_direction == Direction::Display) {
        if (value)
            WriteShown(edit, *value);
        else
            WriteField(edit, QString());
        return *this;
    }
    if (!m_ok)
        return *this;
    if (edit->text().trimmed().isEmpty()) {
        value.reset();
        return *this;
    }
    double read = value.value_or(0);
    Number(edit, read);
    if (m_ok)
        value = read;
    return *this;
}

DataExchange& DataExchange::OptionalNumber(QLineEdit* edit, std::optional<double>& value,
                                           double low, double high, bool zeroAllowed) {
    OptionalNumber(edit, value);
    if (Reading() && m_ok && value)
        CheckOptionalRange(edit, *value, low, high, zeroAllowed);
    return *this;
}

DataExchange& DataExchange::OptionalNumber(QLineEdit* edit, std::optional<double>& value,
                                           double low, double high, bool zeroAllowed,
                                           DisplayUnits::Quantity quantity) {
    OptionalNumber(edit, value, quantity);
    if (Reading() && m_ok && value) {
        const UnitSystem system = UnitChoice::Current();
        CheckOptionalRange(edit, UnitChoice::ToDisplay(quantity, *value),
                           DisplayUnits::DisplayBound(system, quantity, low),
                           DisplayUnits::DisplayBound(system, quantity, high), zeroAllowed);
    }
    return *this;
}

void DataExchange::CheckOptionalRange(QLineEdit* edit, double shown, double low, double high,
                                      bool zeroAllowed) {
    if (zeroAllowed && shown == 0)
        return;
    if (!(shown >= low && shown <= high)) {
        Fail(edit, NumberRangeMessage(low, high, zeroAllowed));
    }
}

DataExchange& DataExchange::OptionalText(QLineEdit* edit, std::optional<std::string>& value) {
    if (m_direction == Direction::Display) {
        WriteField(edit, value ? QString::fromStdString(*value) : QString());
        return *this;
    }
    if (!m_ok)
        return *this;
    const QString text = edit->text().trimmed();
    if (text.isEmpty())
        value.reset();
    else
        value = text.toStdString();
    return *this;
}

DataExchange& DataExchange::RequiredText(QLineEdit* edit, std::string& value,
                                         const QString& message) {
    if (m_direction == Direction::Display) {
        WriteField(edit, QString::fromStdString(value));
        return *this;
    }
    if (!m_ok)
        return *this;
    const QString text = edit->text().trimmed();
    if (text.isEmpty())
        Fail(edit, message);
    else
        value = text.toStdString();
    return *this;
}

bool DataExchange::Fail(QLineEdit* edit, const QString& message) {
    m_ok = false;
    if (message.isEmpty()) {
        // Only an exhausted allocator gets here; say so and stop the exchange.
        ShowMessage(m_messageParent, QStringLiteral("Internal application error."),
                    MessageKind::Stop);
        return false;
    }
    ShowMessage(m_messageParent, message, MessageKind::Warning);
    // After the box closes the user corrects the failing field in place.
    edit->setFocus(Qt::OtherFocusReason);
    EntryText::SelectAll(edit);
    return false;
}

} // namespace orvane
