#include "ui/frame/CommandTable.h"

#include <QVariant>

namespace pellora::ui {

namespace {
constexpr const char* kCommandProperty = "pelloraCommandId";
} // namespace

CommandTable::CommandTable(QObject* parent)
    : QObject(parent)
{
}

QAction* CommandTable::Add(int id, bool checkable)
{
    if (QAction* existing = Find(id))
        return existing;
    auto* action = new QAction(this);
    SetCommandId(action, id);
    action->setCheckable(checkable);
    connect(action, &QAction::triggered, this, [this, id] { emit commandTriggered(id); });
    m_actions.emplace(id, action);
    return action;
}

QAction* CommandTable::Find(int id) const
{
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

std::vector<int> CommandTable::Ids() const
{
    std::vector<int> ids;
    ids.reserve(m_actions.size());
    for (const auto& entry : m_actions)
        ids.push_back(entry.first);
    return ids;
}

int CommandTable::CommandId(const QAction* action)
{
    if (!action)
        return 0;
    const QVariant value = action->property(kCommandProperty);
    return value.isValid() ? value.toInt() : 0;
}

void CommandTable::SetCommandId(QAction* action, int id)
{
    action->setProperty(kCommandProperty, id);
}

void CommandTable::Update(const Rule& rule)
{
    for (const auto& [id, action] : m_actions) {
        bool enabled = false;
        bool checked = false;
        rule(id, enabled, checked);
        if (action->isEnabled() != enabled)
            action->setEnabled(enabled);
        if (action->isCheckable() && action->isChecked() != checked)
            action->setChecked(checked);
    }
}

} // namespace pellora::ui
