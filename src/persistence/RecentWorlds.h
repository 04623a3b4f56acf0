#pragma once

#include "ModuleINI.h"

#include <QStringList>

namespace vendrel {

/// File > Recent Worlds: the addresses of the last worlds that loaded, newest first, kept in the
/// program's settings file in a section of their own as "world1=...", "world2=...".
class RecentWorlds
{
public:
    static inline const QString section = QStringLiteral("Recent Worlds");
    static constexpr int most = 10;

    explicit RecentWorlds(ModuleINI& ini) : m_ini(ini) {}

    /// The addresses, newest first; empty when the settings hold none or cannot be read.
    QStringList list() const;
    /// Puts `address` first, drops an older entry of it and any beyond the tenth. False, with `error`
    /// set, when the settings could not be written; they are then left as they were.
    bool add(const QString& address, QString* error = nullptr);

private:
    ModuleINI& m_ini;
};

} // namespace vendrel
