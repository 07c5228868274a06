#include "ui/shared/CommandSet.h"

#include <utility>

namespace pellora::ui {

void CommandSet::Add(int id, Handler handler, Rule rule)
{
    m_commands.insert_or_assign(id, Command{std::move(handler), std::move(rule)});
}

std::optional<CommandState> CommandSet::StateOf(int id) const
{
    const auto it = m_commands.find(id);
    if (it == m_commands.end())
        return std::nullopt;
    return it->second.rule();
}

bool CommandSet::Execute(int id) const
{
    const auto it = m_commands.find(id);
    if (it == m_commands.end())
        return false;
    // The command may close the window that owns this set: run a copy of the handler.
    if (it->second.rule().enabled) {
        const Handler handler = it->second.handler;
        handler();
    }
    return true;
}

std::optional<CommandState> CommandChain::StateOf(int id) const
{
    for (const CommandSet* set : m_sets) {
        if (std::optional<CommandState> state = set->StateOf(id))
            return state;
    }
    return std::nullopt;
}

bool CommandChain::Execute(int id) const
{
    for (const CommandSet* set : m_sets) {
        if (set->Execute(id))
            return true;
    }
    return false;
}

} // namespace pellora::ui
