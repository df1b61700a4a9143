#pragma once

#include <QWidget>

// What screen readers are told about the widgets this window paints itself.
// Qt offers a custom-painted QWidget as an unnamed "filler", which screen
// readers skip; these interfaces give texts the static-text role and their
// words, the status a single node with its reason, and lines their role.
namespace AccessibleViews {

// Registers the interfaces with QAccessible; calling it again does nothing.
void install();

// Asks screen readers to speak what `widget` now says, as for an alert: a
// run's outcome or a warning that appeared away from the keyboard focus.
void announce(QWidget* widget);

} // namespace AccessibleViews
