#pragma once

// The frame's commands as actions keyed by command number, with the pass that sets their states.

#include <QAction>
#include <QObject>

#include <functional>
#include <map>
#include <vector>

namespace pellora::ui {

class CommandTable : public QObject {
    Q_OBJECT
public:
    explicit CommandTable(QObject* parent = nullptr);

    // The action of command id, made on first request; triggering it emits commandTriggered(id).
    QAction* Add(int id, bool checkable = false);
    QAction* Find(int id) const;
    std::vector<int> Ids() const;

    // The command number an action carries, 0 for none.
    static int CommandId(const QAction* action);
    static void SetCommandId(QAction* action, int id);

    // Asks rule for the state of every command and sets enabled and checked; checked only counts for
    // checkable actions.
    using Rule = std::function<void(int id, bool& enabled, bool& checked)>;
    void Update(const Rule& rule);

signals:
    void commandTriggered(int id);

private:
    std::map<int, QAction*> m_actions;
};

} // namespace pellora::ui
