#include "ui/options/DialogTemplate.h"

#include "ui/options/OptionControls.h"
#include "ui/shared/ControlId.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <map>

namespace pellora::ui {

namespace {

QWidget* makeControl(QWidget& dialog, const ControlTemplate& control, std::map<int, QButtonGroup*>& groups)
{
    switch (control.kind) {
    case ControlKind::Static:
    case ControlKind::Text: {
        auto* label = new QLabel(&dialog);
        label->setWordWrap(control.kind == ControlKind::Text);
        label->setAlignment(Qt::AlignLeft | (control.kind == ControlKind::Text ? Qt::AlignTop : Qt::AlignVCenter));
        return label;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(&dialog);
    case ControlKind::CheckBox:
        return new QCheckBox(&dialog);
    case ControlKind::RadioButton: {
        auto* radio = new QRadioButton(&dialog);
        radio->setAutoExclusive(false);
        QButtonGroup*& group = groups[control.group];
        if (group == nullptr)
            group = new QButtonGroup(&dialog);
        group->addButton(radio);
        return radio;
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultButton: {
        auto* button = new QPushButton(&dialog);
        button->setAutoDefault(false);
        button->setDefault(control.kind == ControlKind::DefaultButton);
        return button;
    }
    case ControlKind::Edit:
        return new QLineEdit(&dialog);
    case ControlKind::UpDown:
        return new CUpDownControl(&dialog);
    case ControlKind::ComboBox:
        return new QComboBox(&dialog);
    case ControlKind::ListBox:
        return new QListWidget(&dialog);
    case ControlKind::ListView: {
        auto* list = new QTreeWidget(&dialog);
        list->setRootIsDecorated(false);
        list->setUniformRowHeights(true);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->header()->setStretchLastSection(false);
        return list;
    }
    case ControlKind::ColourSwatch:
        return new CColourSwatch(&dialog);
    case ControlKind::LockToggle:
        return new CLockToggle(&dialog);
    }
    return nullptr;
}

} // namespace

void BuildControls(QWidget& dialog, const DialogTemplate& dialogTemplate)
{
    SetControlId(&dialog, dialogTemplate.id);
    std::map<int, QButtonGroup*> groups;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = makeControl(dialog, control, groups);
        SetControlId(widget, control.id);
        widget->setGeometry(control.rect);
        widget->setVisible(control.visible);
    }
    dialog.resize(dialogTemplate.size);
}

} // namespace pellora::ui
