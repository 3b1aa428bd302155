#include "platform/workstation_settings.h"

#include <QSettings>
#include <QString>

namespace tolvane::platform {
namespace {

QSettings workstationSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tolvane"), QStringLiteral("Tolvane"));
}

const QString kPacingKey = QStringLiteral("Modem/Pacing");
const QString kTryAgainKey = QStringLiteral("Paging/TryFailedPagesAgain");
const QString kTriesKey = QStringLiteral("Paging/Tries");
const QString kFirstWaitKey = QStringLiteral("Paging/FirstWaitMinutes");
const QString kToolbarLayoutKey = QStringLiteral("1");
const QString kToolbarLayoutValue = QStringLiteral("True");

QString toolbarLayoutKey(const QString& layoutName)
{
    return kToolbarLayoutKey + QLatin1Char('/') + layoutName + QLatin1Char('/') + kToolbarLayoutValue;
}

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

dispatch::RetryPolicy storedRetryPolicy()
{
    const QSettings settings = workstationSettings();
    dispatch::RetryPolicy policy;
    policy.on = settings.value(kTryAgainKey, policy.on).toBool();
    policy.tries = settings.value(kTriesKey, policy.tries).toInt();
    policy.firstWaitMinutes = settings.value(kFirstWaitKey, policy.firstWaitMinutes).toInt();
    return dispatch::sensibleRetryPolicy(policy);
}

void storeRetryPolicy(const dispatch::RetryPolicy& policy)
{
    QSettings settings = workstationSettings();
    settings.setValue(kTryAgainKey, policy.on);
    settings.setValue(kTriesKey, policy.tries);
    settings.setValue(kFirstWaitKey, policy.firstWaitMinutes);
    settings.sync();
}

std::optional<QString> storedToolbarLayout(const QString& layoutName)
{
    const QVariant saved = workstationSettings().value(toolbarLayoutKey(layoutName));
    if (!saved.isValid() || saved.typeId() != QMetaType::QString)
        return std::nullopt;
    return saved.toString();
}

void storeToolbarLayout(const QString& layoutName, const QString& layout)
{
    QSettings settings = workstationSettings();
    settings.setValue(toolbarLayoutKey(layoutName), layout);
    settings.sync();
}

} // namespace tolvane::platform
