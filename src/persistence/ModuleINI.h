#pragma once

#include <QHash>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace vendrel {

/// Profile-file access with one shared current target, a file and a section, that every read and write
/// goes to. Whoever points the target elsewhere sets it back to the program's settings (see
/// SettingsTargetGuard).
///
/// Files are UTF-8 text of "[section]" lines and "key=value" lines; sections and keys are matched
/// without regard to case, files with CR LF line ends are read as well as LF ones, and values of any
/// length round-trip whole. A write keeps the comments, the other keys and the order of an existing
/// file, replaces a value where it stands, and replaces the whole file at once as FileWriter writes, so a
/// failure never leaves a damaged file. Files that begin with a UTF-16 byte order mark are read, and
/// written back, in UTF-16. Writes report as the file layer does (see FileWriter).
///
/// A file name without a directory (like the settings' "X3DVendrel") lives in the user's configuration
/// folder ($XDG_CONFIG_HOME, else ~/.config), read anew at every call; other names are used as given.
class ModuleINI
{
public:
    /// The program's settings: file, section, and its keys (the address loaded last, the host library tick,
    /// the folders and the window's place).
    static inline const QString settingsFile = QStringLiteral("X3DVendrel");
    static inline const QString settingsSection = QStringLiteral("settings");
    static inline const QString settingsKeyFile = QStringLiteral("file");
    /// "1" when the window writes vendrel-host.js beside every script it writes.
    static inline const QString settingsKeyWithHost = QStringLiteral("withhost");
    /// The folders the last script was saved in and the last selections file was saved in or loaded from.
    static inline const QString settingsKeyScriptFolder = QStringLiteral("scriptfolder");
    static inline const QString settingsKeySelectionsFolder = QStringLiteral("selectionsfolder");
    /// The main window's geometry at close (QWidget::saveGeometry, base64) and its boundary between view
    /// and tree: "<height of the window's surface> <height of the view>", in twips.
    static inline const QString settingsKeyGeometry = QStringLiteral("geometry");
    static inline const QString settingsKeySplit = QStringLiteral("split");

    using Entries = std::vector<std::pair<QString, QString>>;

    void SetINITarget(const QString& fileName, const QString& section);
    /// Points the target at the program's settings.
    void SetSettingsTarget() { SetINITarget(settingsFile, settingsSection); }

    /// Writes `key`=`value` into the target section, creating the file, the section or the key as
    /// needed. Returns false when the file could not be read or written (it is then left as it was).
    bool WriteINI(const QString& key, const QString& value, QString* error = nullptr);
    /// The value of `key` in the target section, or `defaultValue` when the file, the section or the
    /// key is missing or the file cannot be read.
    QString ReadINI(const QString& key, const QString& defaultValue) const;

    /// Replaces the target section's entries with `entries`, in their order, and leaves other sections
    /// alone. With no entries the section is removed; a missing file is then not created. Returns false
    /// when the file could not be read or written (it is then left as it was).
    bool ReplaceSection(const Entries& entries, QString* error = nullptr);
    /// Every entry of the target section, keyed by the key in lower case. Nothing when the file holds no
    /// such section (a missing file holds none) or cannot be read; only then is `error` set.
    std::optional<QHash<QString, QString>> ReadSection(QString* error = nullptr) const;

    const QString& INIFileName() const { return m_fileName; }
    const QString& INISection() const { return m_section; }
    /// Where the target's file lives on disk.
    QString targetPath() const { return resolvePath(m_fileName); }
    /// A bare file name goes into the user's configuration folder; any other name is used as given.
    static QString resolvePath(const QString& fileName);

private:
    QString m_fileName;
    QString m_section;
};

} // namespace vendrel
