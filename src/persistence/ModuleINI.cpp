#include "ModuleINI.h"

#include "ProfileText.h"

#include <QDir>
#include <QStandardPaths>

// Only UTF-8 text is handled, so SimpleIni's conversion tables are not needed; the library is used as
// a header only.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION // the Debian header keeps the template bodies behind this
#include <SimpleIni.h>

namespace vendrel {

namespace {

/// The parsed file at `path`: false, with the reason, when it exists but cannot be read. A text SimpleIni
/// cannot make sense of holds nothing.
bool load(const QString& path, CSimpleIniA& ini, QString* error)
{
    ProfileText text;
    if (!text.read(path, error))
        return false;
    ini.SetUnicode(true);
    ini.SetMultiKey(false);
    ini.SetMultiLine(true); // "key=<<<TAG" ... "TAG": a value with line breaks comes back whole
    const QByteArray bytes = text.parseable();
    if (ini.LoadData(bytes.constData(), std::size_t(bytes.size())) < 0)
        ini.Reset();
    return true;
}

} // namespace

void ModuleINI::SetINITarget(const QString& fileName, const QString& section)
{
    m_fileName = fileName;
    m_section = section;
}

QString ModuleINI::resolvePath(const QString& fileName)
{
    if (fileName.isEmpty() || fileName.contains(u'/') || fileName.contains(QDir::separator()))
        return fileName;
    // Asked at every call, so that a changed XDG_CONFIG_HOME (as in tests) is honoured.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (folder.isEmpty())
        return fileName;
    return QString(folder + u'/' + fileName);
}

bool ModuleINI::WriteINI(const QString& key, const QString& value, QString* error)
{
    const QString path = targetPath();
    ProfileText text;
    if (!text.read(path, error))
        return false;
    text.setValue(m_section.toUtf8(), key.toUtf8(), value);
    return text.write(path, error);
}

QString ModuleINI::ReadINI(const QString& key, const QString& defaultValue) const
{
    CSimpleIniA ini;
    if (!load(targetPath(), ini, nullptr))
        return defaultValue;
    const char* value = ini.GetValue(m_section.toUtf8().constData(), key.toUtf8().constData(), nullptr);
    return value ? QString::fromUtf8(value) : defaultValue;
}

bool ModuleINI::ReplaceSection(const Entries& entries, QString* error)
{
    const QString path = targetPath();
    ProfileText text;
    if (!text.read(path, error))
        return false;
    const QByteArray section = m_section.toUtf8();
    if (entries.empty() && !text.hasSection(section))
        return true; // nothing to remove, and no empty file to make
    QList<std::pair<QByteArray, QString>> lines;
    for (const auto& [key, value] : entries)
        lines.append({key.toUtf8(), value});
    text.replaceSection(section, lines);
    return text.write(path, error);
}

std::optional<QHash<QString, QString>> ModuleINI::ReadSection(QString* error) const
{
    CSimpleIniA ini;
    if (!load(targetPath(), ini, error))
        return std::nullopt;
    const CSimpleIniA::TKeyVal* section = ini.GetSection(m_section.toUtf8().constData());
    if (!section)
        return std::nullopt;
    QHash<QString, QString> entries;
    for (const auto& [key, value] : *section)
        entries.insert(QString::fromUtf8(key.pItem).toLower(), QString::fromUtf8(value));
    return entries;
}

} // namespace vendrel
