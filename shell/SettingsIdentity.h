#pragma once

#include <QString>

/// The folder of system-scope settings: the first folder of $XDG_CONFIG_DIRS, "/etc/xdg" when
/// that is unset or empty. An installer writes the installation's "ID" and "Libraries" there.
QString systemSettingsFolder();

/// Points the system scope of every QSettings made from now on at `systemSettingsFolder`.
void useSystemSettingsFolder();

/// When the installation's "ID" (system scope) is set and differs from the last one this user
/// saw, forgets the user's saved window layout ("UI" and "PersistVersion") once and keeps the
/// new "ID" in the user's settings. An empty or missing installation "ID" changes nothing.
void adoptInstallationIdentity();

/// Makes sure the machine has an "MID" (a UUID with braces, organisation level): written to
/// system scope when that is writable, otherwise to the user's settings, where an "MID" kept
/// by an earlier start is reused rather than replaced.
void ensureMachineIdentity();

/// The UUID this process offers as a new "MID": made once, the same on every call.
QString newMachineIdentity();

/// "Libraries" from the installation's settings (system scope, no fallbacks), "" when unset.
QString installedLibraryPath();
