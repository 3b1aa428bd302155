#pragma once

class QWidget;

namespace tolvane::ui {

// Escape closes a window that has a close box, as it closes a dialog; the window's own close handling
// decides what closing means (a running modem test keeps the configuration window open).
void closeOnEscape(QWidget* window);

} // namespace tolvane::ui
