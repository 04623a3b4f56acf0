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

#include <optional>

namespace vendrel {

namespace {

/// Parses a profile file's text; false when it cannot be understood.
bool parse(const QByteArray& bytes, CSimpleIniA& ini)
{
    ini.SetUnicode(true);
    ini.SetMultiKey(false);
    ini.SetMultiLine(true); // "key=<<<TAG" ... "TAG": a value with line breaks comes back whole
    return ini.LoadData(bytes.constData(), std::size_t(bytes.size())) >= 0;
}

/// The raw text of a profile file, to be edited line by line so that everything a write does not
/// touch (comments, blank lines, spacing, unknown lines, line ends) stays byte for byte.
class ProfileText
{
public:
    static inline const QByteArray utf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

    /// False when the file exists but cannot be read.
    bool read(const QString& path)
    {
        QFile file(path);
        if (!file.exists())
            return !path.isEmpty();
        exists = true;
        if (!file.open(QIODevice::ReadOnly))
            return false;
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return false;
        if (bytes.startsWith(utf8Bom)) {
            bom = utf8Bom;
            bytes.remove(0, bom.size());
        }
        // Files written elsewhere may have CR LF line ends: a write keeps them.
        const qsizetype lf = bytes.indexOf('\n');
        if (lf > 0 && bytes[lf - 1] == '\r')
            eol = "\r\n";
        lines = bytes.split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast(); // the break after the last line
        for (QByteArray& line : lines) {
            if (line.endsWith('\r'))
                line.chop(1);
        }
        return true;
    }

    /// Replaces the file at `path` with the lines, through a temporary file beside it.
    bool write(const QString& path) const
    {
        QByteArray bytes = bom;
        for (const QByteArray& line : lines)
            bytes += line + eol;
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            return false;
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        if (file.write(bytes) != bytes.size()) {
            file.cancelWriting();
            return false;
        }
        return file.commit();
    }

    /// The section a "[name]" line opens; nothing for other lines.
    static std::optional<QByteArray> sectionOf(const QByteArray& line)
    {
        const QByteArray trimmed = line.trimmed();
        const qsizetype close = trimmed.indexOf(']');
        if (!trimmed.startsWith('[') || close < 0)
            return std::nullopt;
        return trimmed.mid(1, close - 1).trimmed();
    }

    /// The key of a "key=value" line; a null array for comments and other lines.
    static QByteArray keyOf(const QByteArray& line)
    {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('#') ||
            trimmed.startsWith('['))
            return {};
        const qsizetype equals = trimmed.indexOf('=');
        return equals <= 0 ? QByteArray() : trimmed.left(equals).trimmed();
    }

    /// Names compare as the reader does: ASCII letters without regard to case, other bytes exactly.
    static bool sameName(const QByteArray& a, const QByteArray& b)
    {
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (asciiLower(a[i]) != asciiLower(b[i]))
                return false;
        }
        return true;
    }

    /// The number of lines the entry on line i takes: a multi-line value runs to its end tag.
    qsizetype entryLength(qsizetype i) const
    {
        const QByteArray& line = lines[i];
        const qsizetype marker = line.indexOf("=<<<");
        if (marker < 0)
            return 1;
        const QByteArray tag = line.mid(marker + 4).trimmed();
        for (qsizetype j = i + 1; j < lines.size(); ++j) {
            if (lines[j].trimmed() == tag)
                return j - i + 1;
        }
        return 1; // not a multi-line value after all
    }

    /// The lines of one entry; a value with line breaks is written in the multi-line form.
    static QList<QByteArray> entryLines(const QByteArray& key, const QString& value)
    {
        const QByteArray utf8 = value.toUtf8();
        // A value that itself begins like a multi-line value is written in that form too.
        if (!utf8.contains('\n') && !utf8.contains('\r') && !utf8.startsWith("<<<"))
            return {key + '=' + utf8};
        QByteArray tag = "END_OF_TEXT";
        while (utf8.contains(tag))
            tag += '_';
        QList<QByteArray> result{key + "=<<<" + tag};
        QByteArray text = utf8;
        text.replace("\r\n", "\n");
        result += text.split('\n');
        result.append(tag);
        return result;
    }

    /// Sets `key` in every `[section]` that holds it, else adds it at the end of the first such section,
    /// else adds the section at the end.
    void setValue(const QByteArray& section, const QByteArray& key, const QString& value)
    {
        const QList<QByteArray> entry = entryLines(key, value);
        bool inSection = false;
        bool found = false;
        qsizetype endOfFirst = -1; // where a new key goes: after the last entry of the first section
        qsizetype lastEntryEnd = 0;
        for (qsizetype i = 0; i < lines.size();) {
            if (const auto name = sectionOf(lines[i])) {
                if (inSection && endOfFirst < 0)
                    endOfFirst = lastEntryEnd;
                inSection = sameName(*name, section);
                if (inSection)
                    lastEntryEnd = i + 1;
                ++i;
                continue;
            }
            const QByteArray lineKey = inSection ? keyOf(lines[i]) : QByteArray();
            if (lineKey.isNull()) {
                ++i;
                continue;
            }
            const qsizetype length = entryLength(i);
            if (sameName(lineKey, key)) {
                // The key keeps its spelling and spacing: only the value changes.
                const QList<QByteArray> replaced = entryLines(lines[i].left(lines[i].indexOf('=')), value);
                lines.remove(i, length);
                for (qsizetype k = 0; k < replaced.size(); ++k)
                    lines.insert(i + k, replaced[k]);
                found = true;
                i += replaced.size();
            } else {
                i += length;
            }
            lastEntryEnd = i;
        }
        if (found)
            return;
        if (inSection && endOfFirst < 0)
            endOfFirst = lastEntryEnd;
        if (endOfFirst >= 0) {
            for (qsizetype k = 0; k < entry.size(); ++k)
                lines.insert(endOfFirst + k, entry[k]);
            return;
        }
        lines.append('[' + section + ']');
        lines += entry;
    }

    /// Removes every `[section]` with its entries and the comments and blank lines inside it.
    void removeSection(const QByteArray& section)
    {
        bool inSection = false;
        QList<QByteArray> kept;
        for (const QByteArray& line : std::as_const(lines)) {
            if (const auto name = sectionOf(line))
                inSection = sameName(*name, section);
            if (!inSection)
                kept.append(line);
        }
        lines = kept;
    }

    QList<QByteArray> lines;
    QByteArray eol = "\n";
    QByteArray bom; // kept when the file had one
    bool exists = false;

private:
    static char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
};

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
    ProfileText text;
    if (!text.read(path))
        return false;
    text.setValue(m_section.toUtf8(), key.toUtf8(), value);
    return text.write(path);
}

namespace {

/// The parsed file at `path`; false when it exists but cannot be read.
bool load(const QString& path, CSimpleIniA& ini)
{
    ProfileText text;
    if (!text.read(path))
        return false;
    QByteArray bytes;
    for (const QByteArray& line : std::as_const(text.lines))
        bytes += line + '\n';
    return parse(bytes, ini);
}

} // namespace

QString ModuleINI::ReadINI(const QString& key, const QString& defaultValue) const
{
    CSimpleIniA ini;
    if (!load(targetPath(), ini))
        return defaultValue;
    const char* value = ini.GetValue(m_section.toUtf8().constData(), key.toUtf8().constData(), nullptr);
    return value ? QString::fromUtf8(value) : defaultValue;
}

bool ModuleINI::ReplaceSection(const Entries& entries)
{
    const QString path = targetPath();
    ProfileText text;
    if (!text.read(path))
        return false;
    if (entries.empty() && !text.exists)
        return true; // no empty file is made
    const QByteArray section = m_section.toUtf8();
    // The section keeps its place among the others: its header stays, its body is replaced.
    qsizetype header = -1;
    for (qsizetype i = 0; i < text.lines.size() && header < 0; ++i) {
        const auto name = ProfileText::sectionOf(text.lines[i]);
        if (name && ProfileText::sameName(*name, section))
            header = i;
    }
    const QByteArray headerLine = header >= 0 ? text.lines[header] : '[' + section + ']';
    if (header < 0 && entries.empty())
        return true;
    text.removeSection(section);
    if (entries.empty())
        return text.write(path);
    QList<QByteArray> body{headerLine};
    for (const auto& [key, value] : entries)
        body += ProfileText::entryLines(key.toUtf8(), value);
    const qsizetype at = header >= 0 ? header : text.lines.size();
    for (qsizetype k = 0; k < body.size(); ++k)
        text.lines.insert(at + k, body[k]);
    return text.write(path);
}

QHash<QString, QString> ModuleINI::ReadSection() const
{
    QHash<QString, QString> entries;
    CSimpleIniA ini;
    if (!load(targetPath(), ini))
        return entries;
    const CSimpleIniA::TKeyVal* section = ini.GetSection(m_section.toUtf8().constData());
    if (!section)
        return entries;
    for (const auto& [key, value] : *section)
        entries.insert(QString::fromUtf8(key.pItem).toLower(), QString::fromUtf8(value));
    return entries;
}

} // namespace vendrel
