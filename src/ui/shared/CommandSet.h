#pragma once

// Commands of one window, each registered once with what it does and when it is enabled or checked.

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace pellora::ui {

struct CommandState {
    bool enabled = false;
    bool checked = false;
};

class CommandSet {
public:
    using Handler = std::function<void()>;
    using Rule = std::function<CommandState()>;

    // Registers command id; a second registration of the same number replaces the first.
    void Add(int id, Handler handler, Rule rule);

    bool Has(int id) const { return m_commands.count(id) != 0; }
    // The state of the command, or nothing when the set does not hold it.
    std::optional<CommandState> StateOf(int id) const;
    // Runs the command when it is enabled; false when the set does not hold it.
    bool Execute(int id) const;

private:
    struct Command {
        Handler handler;
        Rule rule;
    };
    std::map<int, Command> m_commands;
};

// The first of several sets that holds a command answers for it, the way a command passes from the
// active project's list to its view and on to the frame.
class CommandChain {
public:
    // Appends a set (null sets are left out).
    CommandChain& Then(const CommandSet* set)
    {
        if (set)
            m_sets.push_back(set);
        return *this;
    }
    std::optional<CommandState> StateOf(int id) const;
    bool Execute(int id) const;

private:
    std::vector<const CommandSet*> m_sets;
};

} // namespace pellora::ui
