#include "ModuleINI.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

// Only UTF-8 text is handled, so SimpleIni's conversion tables are not needed; the library is used as
// a header only.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION // the Debian header keeps the template bodies behind this
#include <SimpleIni.h>

#include <string>

namespace vendrel {

namespace {

struct Document
{
    CSimpleIniA ini;
    bool exists = false;
};

std::string utf8(const QString& text)
{
    return text.toStdString();
}

void configure(CSimpleIniA& ini)
{
    ini.SetUnicode(true);
    ini.SetMultiKey(false);
    ini.SetMultiLine(true); // a value with a line break in it comes back whole
    ini.SetSpaces(false);   // "key=value", as profile files have it
}

/// Reads the file at `path` into `doc`; a missing file is an empty document. False when it exists but
/// cannot be read or understood.
bool load(const QString& path, Document& doc)
{
    configure(doc.ini);
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.exists())
        return true;
    doc.exists = true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    return doc.ini.LoadData(bytes.constData(), std::size_t(bytes.size())) >= 0;
}

/// Replaces the file at `path` with `doc` through a temporary file beside it.
bool save(const QString& path, const Document& doc)
{
    std::string text;
    if (doc.ini.Save(text, false) < 0)
        return false;
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
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

bool ModuleINI::WriteINI(const QString& key, const QString& value)
{
    const QString path = targetPath();
    Document doc;
    if (!load(path, doc))
        return false;
    if (doc.ini.SetValue(utf8(m_section).c_str(), utf8(key).c_str(), utf8(value).c_str()) < 0)
        return false;
    return save(path, doc);
}

QString ModuleINI::ReadINI(const QString& key, const QString& defaultValue) const
{
    Document doc;
    if (!load(targetPath(), doc))
        return defaultValue;
    const char* value = doc.ini.GetValue(utf8(m_section).c_str(), utf8(key).c_str(), nullptr);
    return value ? QString::fromUtf8(value) : defaultValue;
}

bool ModuleINI::ReplaceSection(const Entries& entries)
{
    const QString path = targetPath();
    Document doc;
    if (!load(path, doc))
        return false;
    const std::string section = utf8(m_section);
    const bool hadSection = doc.ini.GetSection(section.c_str()) != nullptr;
    if (entries.empty() && (!doc.exists || !hadSection))
        return true; // nothing to remove, and no empty file to create
    // Removing the keys but keeping the section keeps its place among the others.
    if (hadSection) {
        CSimpleIniA::TNamesDepend keys;
        doc.ini.GetAllKeys(section.c_str(), keys);
        std::vector<std::string> names;
        for (const auto& entry : keys)
            names.emplace_back(entry.pItem);
        for (const auto& name : names)
            doc.ini.Delete(section.c_str(), name.c_str());
    }
    if (entries.empty())
        doc.ini.Delete(section.c_str(), nullptr);
    for (const auto& [key, value] : entries) {
        if (doc.ini.SetValue(section.c_str(), utf8(key).c_str(), utf8(value).c_str()) < 0)
            return false;
    }
    return save(path, doc);
}

QHash<QString, QString> ModuleINI::ReadSection() const
{
    QHash<QString, QString> entries;
    Document doc;
    if (!load(targetPath(), doc))
        return entries;
    const CSimpleIniA::TKeyVal* section = doc.ini.GetSection(utf8(m_section).c_str());
    if (!section)
        return entries;
    for (const auto& [key, value] : *section)
        entries.insert(QString::fromUtf8(key.pItem).toLower(), QString::fromUtf8(value));
    return entries;
}

} // namespace vendrel
