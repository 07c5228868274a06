#include "ui/shared/ControlId.h"

#include <QVariant>

namespace pellora::ui {

namespace {
constexpr const char* kProperty = "pelloraControlId";
} // namespace

void SetControlId(QWidget* widget, int id)
{
    widget->setProperty(kProperty, id);
}

int ControlId(const QWidget* widget)
{
    const QVariant value = widget->property(kProperty);
    return value.isValid() ? value.toInt() : 0;
}

QWidget* FindControl(const QWidget* parent, int id)
{
    const auto children = parent->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (ControlId(child) == id)
            return child;
    }
    return nullptr;
}

} // namespace pellora::ui
