#pragma once

// The windows that re-read their texts when the language changes, so that a switch reaches every one.

#include <QObject>

#include <functional>

namespace pellora::ui {

// Registers retext for window until the window is destroyed; a window registered twice keeps the later one.
void RegisterRetext(QObject* window, std::function<void()> retext);
void UnregisterRetext(QObject* window);
// Calls the retext of every registered window, in the order of registration.
void RetextRegisteredWindows();
// How many windows are registered.
int RegisteredRetextCount();

} // namespace pellora::ui
