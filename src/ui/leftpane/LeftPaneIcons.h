#pragma once

// The pictures of the left pane, drawn by the program: the page tabs, the Search and Add buttons and the
// items of the shared-printer tree.

#include <QIcon>

namespace pellora::ui {

QIcon NetworkPageIcon();
QIcon SharedPageIcon();
QIcon SearchButtonIcon();
QIcon AddButtonIcon();

// The images of the shared-printer tree, in the order the tree uses: 0 other container, 1 network
// provider, 2 domain, 3 server, 4 shared printer.
inline constexpr int kSharedTreeImageCount = 5;
QIcon SharedTreeImage(int image);

} // namespace pellora::ui
