#include "ui/shared/RetextRegistry.h"

#include <QPointer>

#include <utility>
#include <vector>

namespace pellora::ui {

namespace {

struct Registration {
    QPointer<QObject> window;
    std::function<void()> retext;
    QMetaObject::Connection destroyed;
};

std::vector<Registration>& registrations()
{
    static std::vector<Registration> list;
    return list;
}

void removeEntry(QObject* window)
{
    auto& list = registrations();
    for (auto it = list.begin(); it != list.end();) {
        if (it->window == window || it->window.isNull()) {
            QObject::disconnect(it->destroyed);
            it = list.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace

void RegisterRetext(QObject* window, std::function<void()> retext)
{
    if (!window || !retext)
        return;
    removeEntry(window);
    Registration entry {window, std::move(retext), {}};
    entry.destroyed = QObject::connect(window, &QObject::destroyed, [window] { removeEntry(window); });
    registrations().push_back(std::move(entry));
}

void UnregisterRetext(QObject* window)
{
    removeEntry(window);
}

void RetextRegisteredWindows()
{
    // A retext may create or destroy windows: walk a copy and skip windows that went meanwhile.
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> snapshot;
    for (const auto& entry : registrations())
        snapshot.emplace_back(entry.window, entry.retext);
    for (const auto& [window, retext] : snapshot) {
        if (!window.isNull())
            retext();
    }
}

int RegisteredRetextCount()
{
    int count = 0;
    for (const auto& entry : registrations())
        count += entry.window.isNull() ? 0 : 1;
    return count;
}

} // namespace pellora::ui
