#include "shell/SettingsIdentity.h"

#include "common/Product.h"

#include <QSettings>
#include <QUuid>

#include <cstdlib>

namespace {

const QString installationIdKey = QStringLiteral("ID");
const QString machineIdKey = QStringLiteral("MID");

// What the installer wrote: the application's system-scope settings, without fallbacks.
QString installationValue(const QString& key) {
    QSettings settings(QSettings::SystemScope, Product::organisationName, Product::applicationName);
    settings.setFallbacksEnabled(false);
    return settings.value(key).toString();
}

}  // namespace

QString systemSettingsFolder() {
    const QString folders = QString::fromLocal8Bit(std::getenv("XDG_CONFIG_DIRS"));
    const QString first = folders.section(QLatin1Char(':'), 0, 0);
    return first.isEmpty() ? QStringLiteral("/etc/xdg") : first;
}

void useSystemSettingsFolder() {
    // On Linux both formats are INI files; set both so that neither reaches /etc/xdg behind
    // our back.
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, systemSettingsFolder());
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, systemSettingsFolder());
}

void adoptInstallationIdentity() {
    const QString installationId = installationValue(installationIdKey);
    if (installationId.isEmpty())
        return;
    QSettings user(QSettings::UserScope, Product::organisationName, Product::applicationName);
    user.setFallbacksEnabled(false);
    if (user.value(installationIdKey).toString() == installationId)
        return;
    // A new installation brings a new window layout; the old saved one would fight it.
    user.remove(QStringLiteral("UI"));
    user.remove(QStringLiteral("PersistVersion"));
    user.setValue(installationIdKey, installationId);
}

void ensureMachineIdentity() {
    QSettings machine(QSettings::SystemScope, Product::organisationName);
    if (machine.contains(machineIdKey))
        return;
    machine.setValue(machineIdKey, newMachineIdentity());
    machine.sync();
    // An INI file that cannot be written still answers from its cache: the status is the truth.
    if (machine.status() == QSettings::NoError && machine.contains(machineIdKey))
        return;
    QSettings user(QSettings::UserScope, Product::organisationName);
    user.setFallbacksEnabled(false);
    if (!user.contains(machineIdKey))
        user.setValue(machineIdKey, newMachineIdentity());
}

QString newMachineIdentity() {
    static const QString identity = QUuid::createUuid().toString();   // thread-safe, once
    return identity;
}

QString installedLibraryPath() {
    return installationValue(QStringLiteral("Libraries"));
}
