#include "ui/main/program_icon.h"

// The pictures live in this static library; its resources must be registered by hand.
static void registerProgramIcons()
{
    Q_INIT_RESOURCE(icons);
}

namespace tolvane::ui {

QIcon programIcon()
{
    registerProgramIcons();
    QIcon icon;
    for (int size : { 16, 24, 32, 48, 64, 128, 256 })
        icon.addFile(QStringLiteral(":/icons/tolvane-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace tolvane::ui
