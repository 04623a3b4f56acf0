#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringConverter>

#include <optional>
#include <utility>

namespace vendrel {

/// The raw text of a profile file, edited line by line so that everything a write does not touch
/// (comments, blank lines, spacing, unknown lines, line ends, a byte order mark) stays byte for byte.
/// Section and key names compare as SimpleIni, the reader, compares them: ASCII letters without regard to
/// case, every other byte exactly. A value with line breaks is kept in SimpleIni's multi-line form
/// ("key=<<<TAG", the lines, "TAG").
class ProfileText
{
public:
    /// Reads the file, UTF-8 or UTF-16 with a byte order mark; a missing file is an empty text. False when
    /// it exists but cannot be read (see FileReader).
    bool read(const QString& path, QString* error);
    /// Replaces the file with the text, in the encoding it was read in, as FileWriter writes; makes
    /// missing folders.
    bool write(const QString& path, QString* error) const;
    /// The text as SimpleIni reads it: LF line ends, no byte order mark.
    QByteArray parseable() const;

    /// Sets `key` in every `[section]` that holds it; else adds it after the last entry of the first such
    /// section; else adds the section at the end. An existing key keeps its spelling and spacing.
    void setValue(const QByteArray& section, const QByteArray& key, const QString& value);
    /// Replaces the first `[section]` (its header line stays as it is written) with one holding
    /// `entries`, and removes any later one; other sections stay. With no entries the section goes.
    void replaceSection(const QByteArray& section, const QList<std::pair<QByteArray, QString>>& entries);

    bool exists() const { return m_exists; }
    bool hasSection(const QByteArray& section) const;

private:
    static std::optional<QByteArray> sectionOf(const QByteArray& line);
    static QByteArray keyOf(const QByteArray& line);
    static bool sameName(const QByteArray& a, const QByteArray& b);
    static QList<QByteArray> entryLines(const QByteArray& key, const QString& value);
    /// The line after the entry that starts on line i (a multi-line value runs to its end tag).
    qsizetype next(qsizetype i) const;
    void insert(qsizetype at, const QList<QByteArray>& lines);

    QList<QByteArray> m_lines;
    QByteArray m_eol = "\n";
    QByteArray m_bom;
    QStringConverter::Encoding m_encoding = QStringConverter::Utf8;
    bool m_exists = false;
};

} // namespace vendrel
