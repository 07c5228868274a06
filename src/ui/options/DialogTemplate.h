#pragma once

// A dialog described the way a dialog template describes it: a client size and every control at a fixed
// place, each one a direct child of the dialog, group boxes being frames behind their controls.

#include <QRect>
#include <QSize>
#include <QWidget>

#include <vector>

namespace pellora::ui {

enum class ControlKind {
    Static, // one line
    Text,   // several lines, broken at words
    GroupBox,
    CheckBox,
    RadioButton,
    PushButton,
    DefaultButton,
    Edit,
    UpDown,
    ComboBox,
    ListBox,
    ListView,
    ColourSwatch,
    LockToggle,
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    QRect rect;
    // Radio buttons with the same group number exclude each other; 0 for every other control.
    int group = 0;
    bool visible = true;
};

struct DialogTemplate {
    int id;
    QSize size;
    std::vector<ControlTemplate> controls;
};

// Creates the controls of the template as children of dialog, in template order (a later control lies
// above an earlier one), each with its control identifier, and gives the dialog the template's size.
void BuildControls(QWidget& dialog, const DialogTemplate& dialogTemplate);

} // namespace pellora::ui
