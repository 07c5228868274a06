#pragma once

// Moves the controls of a window to the rectangles its layout table gives for a client size.

#include "core/i18n/LayoutValue.h"

#include <QWidget>

namespace pellora::ui {

// Computes every rectangle first, then moves each control that exists and repaints it.
void ApplyLayout(const LayoutTable& table, QWidget* parent, int clientWidth, int clientHeight);
inline void ApplyLayout(const LayoutTable& table, QWidget* parent)
{
    ApplyLayout(table, parent, parent->width(), parent->height());
}

} // namespace pellora::ui
