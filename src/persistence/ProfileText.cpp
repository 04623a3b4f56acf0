#include "ProfileText.h"

#include "core/FileReader.h"
#include "core/FileWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>

namespace vendrel {

namespace {
const QByteArray utf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");
const QByteArray utf16LeBom = QByteArrayLiteral("\xFF\xFE");
const QByteArray utf16BeBom = QByteArrayLiteral("\xFE\xFF");
const QByteArray multiLineMark = QByteArrayLiteral("=<<<");

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}
} // namespace

bool ProfileText::read(const QString& path, QString* error)
{
    if (!path.isEmpty() && !QFileInfo::exists(path))
        return true; // nothing there yet: the first write makes the file
    m_exists = true;
    QByteArray bytes;
    if (!FileReader::read(path, bytes, error))
        return false;
    if (bytes.startsWith(utf16LeBom) || bytes.startsWith(utf16BeBom)) {
        // Edited as UTF-8 and written back in the file's own encoding.
        m_bom = bytes.left(utf16LeBom.size());
        m_encoding = m_bom == utf16LeBom ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
        QStringDecoder decode(m_encoding);
        bytes = QString(decode(QByteArrayView(bytes).sliced(m_bom.size()))).toUtf8();
    } else if (bytes.startsWith(utf8Bom)) {
        m_bom = utf8Bom;
        bytes.remove(0, utf8Bom.size());
    }
    // Files written elsewhere may have CR LF line ends: a write keeps them.
    const qsizetype lf = bytes.indexOf('\n');
    if (lf > 0 && bytes[lf - 1] == '\r')
        m_eol = "\r\n";
    m_lines = bytes.split('\n');
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast(); // the break after the last line
    for (QByteArray& line : m_lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return true;
}

bool ProfileText::write(const QString& path, QString* error) const
{
    QByteArray text;
    for (const QByteArray& line : m_lines)
        text += line + m_eol;
    if (m_encoding != QStringConverter::Utf8) {
        QStringEncoder encode(m_encoding);
        text = encode(QString::fromUtf8(text));
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = u"Couldn't make the folder " % folder % u": " % qt_error_string(errno);
        return false;
    }
    return FileWriter::write(path, {QByteArrayView(m_bom), QByteArrayView(text)}, error);
}

QByteArray ProfileText::parseable() const
{
    QByteArray bytes;
    for (const QByteArray& line : m_lines)
        bytes += line + '\n';
    return bytes;
}

std::optional<QByteArray> ProfileText::sectionOf(const QByteArray& line)
{
    const QByteArray trimmed = line.trimmed();
    const qsizetype close = trimmed.indexOf(']');
    if (!trimmed.startsWith('[') || close < 0)
        return std::nullopt;
    return trimmed.mid(1, close - 1).trimmed();
}

QByteArray ProfileText::keyOf(const QByteArray& line)
{
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('#') || trimmed.startsWith('['))
        return {};
    const qsizetype equals = trimmed.indexOf('=');
    return equals <= 0 ? QByteArray() : trimmed.left(equals).trimmed();
}

bool ProfileText::sameName(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

QList<QByteArray> ProfileText::entryLines(const QByteArray& key, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    // A value that itself begins like a multi-line value is written in that form too.
    if (!utf8.contains('\n') && !utf8.contains('\r') && !utf8.startsWith("<<<"))
        return {key + '=' + utf8};
    QByteArray tag = "END_OF_TEXT";
    while (utf8.contains(tag))
        tag += '_';
    QList<QByteArray> result{key + multiLineMark + tag};
    QByteArray text = utf8;
    text.replace("\r\n", "\n");
    result += text.split('\n');
    result.append(tag);
    return result;
}

qsizetype ProfileText::next(qsizetype i) const
{
    if (keyOf(m_lines[i]).isNull())
        return i + 1;
    const qsizetype marker = m_lines[i].indexOf(multiLineMark);
    if (marker < 0)
        return i + 1;
    const QByteArray tag = m_lines[i].mid(marker + multiLineMark.size()).trimmed();
    for (qsizetype j = i + 1; j < m_lines.size(); ++j) {
        if (m_lines[j].trimmed() == tag)
            return j + 1;
    }
    return i + 1; // no end tag: not a multi-line value after all
}

void ProfileText::insert(qsizetype at, const QList<QByteArray>& lines)
{
    for (qsizetype k = 0; k < lines.size(); ++k)
        m_lines.insert(at + k, lines[k]);
}

bool ProfileText::hasSection(const QByteArray& section) const
{
    for (qsizetype i = 0; i < m_lines.size(); i = next(i)) {
        const auto name = sectionOf(m_lines[i]);
        if (name && sameName(*name, section))
            return true;
    }
    return false;
}

void ProfileText::setValue(const QByteArray& section, const QByteArray& key, const QString& value)
{
    bool inSection = false;
    bool found = false;
    qsizetype endOfFirst = -1; // where a new key goes
    qsizetype lastEntryEnd = 0;
    for (qsizetype i = 0; i < m_lines.size();) {
        if (const auto name = sectionOf(m_lines[i])) {
            if (inSection && endOfFirst < 0)
                endOfFirst = lastEntryEnd;
            inSection = sameName(*name, section);
            if (inSection)
                lastEntryEnd = i + 1;
            ++i;
            continue;
        }
        const qsizetype after = next(i);
        const QByteArray lineKey = keyOf(m_lines[i]);
        if (!inSection || lineKey.isNull()) {
            i = after;
            continue;
        }
        if (sameName(lineKey, key)) {
            const QList<QByteArray> replaced = entryLines(m_lines[i].left(m_lines[i].indexOf('=')), value);
            m_lines.remove(i, after - i);
            insert(i, replaced);
            found = true;
            i += replaced.size();
        } else {
            i = after;
        }
        lastEntryEnd = i;
    }
    if (found)
        return;
    if (inSection && endOfFirst < 0)
        endOfFirst = lastEntryEnd;
    if (endOfFirst >= 0) {
        insert(endOfFirst, entryLines(key, value));
        return;
    }
    m_lines.append('[' + section + ']');
    m_lines += entryLines(key, value);
}

void ProfileText::replaceSection(const QByteArray& section,
                                 const QList<std::pair<QByteArray, QString>>& entries)
{
    QList<QByteArray> kept;
    qsizetype at = -1;
    QByteArray header = '[' + section + ']';
    bool inSection = false;
    for (qsizetype i = 0; i < m_lines.size();) {
        const qsizetype after = next(i);
        if (const auto name = sectionOf(m_lines[i])) {
            inSection = sameName(*name, section);
            if (inSection && at < 0) {
                at = kept.size();
                header = m_lines[i];
            }
        }
        if (!inSection)
            kept += m_lines.mid(i, after - i);
        i = after;
    }
    m_lines = kept;
    if (entries.isEmpty())
        return;
    QList<QByteArray> body{header};
    for (const auto& [key, value] : entries)
        body += entryLines(key, value);
    insert(at >= 0 ? at : m_lines.size(), body);
}

} // namespace vendrel
