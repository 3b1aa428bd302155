#include "platform/workstation_settings.h"

#include <QSettings>
#include <QString>

namespace tolvane::platform {
namespace {

// ~/.config/Tolvane/Tolvane.conf on Linux.
QSettings workstationSettings()
{
    return QSettings(QStringLiteral("Tolvane"), QStringLiteral("Tolvane"));
}

const QString kPacingKey = QStringLiteral("Modem/Pacing");

} // namespace

engine::Pacing storedPacing()
{
    const QString name = workstationSettings().value(kPacingKey).toString();
    return engine::pacingNamed(name.toStdString()).value_or(engine::Pacing::Standard);
}

void storePacing(engine::Pacing pacing)
{
    QSettings settings = workstationSettings();
    const std::string_view name = engine::pacingName(pacing);
    settings.setValue(kPacingKey, QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    settings.sync();
}

} // namespace tolvane::platform
