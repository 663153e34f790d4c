// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/Fields.h"
#include "core/units/DisplayUnits.h"

#include <QString>

namespace orvane {

// The units every window and dialog shows now (Options > Units). One choice
// for the whole program: the application sets it from the settings file and
// the menu, and tells the open windows when it changes.
namespace UnitChoice {

using Quantity = DisplayUnits::Quantity;

UnitSystem Current();
void Set(UnitSystem system);

// DisplayUnits in the current system.
double ToDisplay(Quantity quantity, double stored);
double FromDisplay(Quantity quantity, double shown);
QString Label(Quantity quantity);

// A label with its unit, "V1 (L)"; in the imperial system the text the
// place has always shown (`imperial`), so that nothing of it changes.
QString Labelled(const QString& name, Quantity quantity, const QString& imperial);

// A field's label in the current system ("Vas (L)").
QString FieldLabel(const FieldInfo& field);

} // namespace UnitChoice

} // namespace orvane
