#include "ui/config/config_support.h"

#include "engine/modem_setup.h"
#include "engine/serial_messages.h"
#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "store/store_error.h"

#include <QPushButton>

namespace tolvane::ui {

void showFileError(platform::DialogService& dialogs, const std::exception& error)
{
    constexpr int kInternalError = 51;
    const auto* storeError = dynamic_cast<const store::StoreError*>(&error);
    QString text = platform::fromCore(
        engine::generalErrorMessage(storeError ? storeError->number() : kInternalError, "Tolvane", error.what()));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    dialogs.message(text, QStringLiteral("Error"), platform::DialogService::Icon::Critical);
}

QPushButton* tabButton(const QString& caption, const char* objectName, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    return button;
}

QString shownText(std::string_view stored)
{
    return platform::fromCore(engine::shownField(stored));
}

} // namespace tolvane::ui
