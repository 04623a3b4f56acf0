#pragma once

#include "ModuleINI.h"

namespace vendrel {

/// Points the profile target at another file and section for as long as it lives, and back at the
/// program's settings when it goes, also when the command ends by a failure.
class SettingsTargetGuard
{
public:
    SettingsTargetGuard(ModuleINI& ini, const QString& fileName, const QString& section) : m_ini(ini)
    {
        m_ini.SetINITarget(fileName, section);
    }
    ~SettingsTargetGuard() { m_ini.SetSettingsTarget(); }
    SettingsTargetGuard(const SettingsTargetGuard&) = delete;
    SettingsTargetGuard& operator=(const SettingsTargetGuard&) = delete;

private:
    ModuleINI& m_ini;
};

} // namespace vendrel
