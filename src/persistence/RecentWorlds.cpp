#include "RecentWorlds.h"

#include "SettingsTargetGuard.h"

namespace vendrel {

namespace {
const QString keyPrefix = QStringLiteral("world");
}

QStringList RecentWorlds::list() const
{
    SettingsTargetGuard target(m_ini, ModuleINI::settingsFile, section);
    const auto entries = m_ini.ReadSection();
    QStringList addresses;
    for (int i = 1; entries && i <= most; ++i) {
        const QString address = entries->value(keyPrefix + QString::number(i));
        if (!address.isEmpty() && !addresses.contains(address))
            addresses.append(address);
    }
    return addresses;
}

bool RecentWorlds::add(const QString& address, QString* error)
{
    QStringList addresses = list();
    addresses.removeAll(address);
    addresses.prepend(address);
    ModuleINI::Entries entries;
    for (int i = 0; i < std::min(most, int(addresses.size())); ++i)
        entries.emplace_back(keyPrefix + QString::number(i + 1), addresses[i]);
    SettingsTargetGuard target(m_ini, ModuleINI::settingsFile, section);
    return m_ini.ReplaceSection(entries, error);
}

} // namespace vendrel
