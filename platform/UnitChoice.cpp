// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UnitChoice.h"

namespace orvane::UnitChoice {

namespace {

UnitSystem g_current = UnitSystem::Imperial;

} // namespace

UnitSystem Current() {
    return g_current;
}

void Set(UnitSystem system) {
    g_current = system;
}

double ToDisplay(Quantity quantity, double stored) {
    return DisplayUnits::ToDisplay(g_current, quantity, stored);
}

double FromDisplay(Quantity quantity, double shown) {
    return DisplayUnits::FromDisplay(g_current, quantity, shown);
}

QString Label(Quantity quantity) {
    const std::string_view label = DisplayUnits::Label(g_current, quantity);
    return QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
}

QString Labelled(const QString& name, Quantity quantity, const QString& imperial) {
    if (!DisplayUnits::Converts(g_current, quantity))
        return imperial;
    return QStringLiteral("%1 (%2)").arg(name, Label(quantity));
}

QString FieldLabel(const FieldInfo& field) {
    return QString::fromStdString(Fields::Label(field, g_current));
}

} // namespace orvane::UnitChoice
