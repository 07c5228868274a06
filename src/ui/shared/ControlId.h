#pragma once

// Control identifiers on Qt widgets, so that texts and layout rules find controls by number.

#include <QWidget>

namespace pellora::ui {

void SetControlId(QWidget* widget, int id);
// The widget's control identifier, 0 when it has none.
int ControlId(const QWidget* widget);
// The first descendant of parent with that identifier, or nullptr.
QWidget* FindControl(const QWidget* parent, int id);

} // namespace pellora::ui
