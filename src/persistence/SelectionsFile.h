#pragma once

#include <QString>
#include <QStringList>

namespace vendrel {

class SceneTree;
class ModuleINI;
class FileDialog;
class EventPump;
class MessageBox;

/// "Save Selections..." and "Load Selections...": the texts of the ticked items, kept in a profile file
/// (by convention ".x3ds") under section "Selections" as "sel<position>=<text>".
///
/// A cancel or any failure ends a command at once; the profile target is back on the program's settings
/// afterwards in every case. File names are paths as given, relative ones to the working folder.
class SelectionsFile
{
public:
    static inline const QString section = QStringLiteral("Selections");
    static inline const QString keyPrefix = QStringLiteral("sel");
    static inline const QString saveFilter = QStringLiteral("X3D Settings (*.x3ds)|*.x3ds|");
    static inline const QString openFilter = QStringLiteral("X3d Settings (*.x3ds)|*.x3ds|");
    static inline const QString defaultExtension = QStringLiteral(".x3ds");
    /// The flags value the save dialog is handed, as for the script's save dialog.
    static constexpr int saveFlags = 4096;

    /// The name both dialogs offer: the address without its extension (everything before its last
    /// "."), followed by ".x3ds".
    static QString defaultFileName(const QString& address);

    /// What a command did: `done` is false on cancel or failure. `fileName` is the file chosen (empty on
    /// cancel). `items` counts the entries written by a save, the items ticked by a load; `unmatched`
    /// holds, in file order, the texts a load read that ticked no item.
    struct Result
    {
        bool done = false;
        QString fileName;
        int items = 0;
        QStringList unmatched;
    };

    /// Asks for a file and replaces its "Selections" section with one entry per ticked item, in index
    /// order; other sections of the file stay. With nothing ticked and no file yet, no file is made.
    /// Done when the file now holds the ticks; when the file could not be written, `error` (unless null)
    /// gets a sentence that names it and the reason.
    static Result FileSaveSel_Click(SceneTree& tree, ModuleINI& ini, FileDialog& dialog,
                                    const QString& address, QString* error = nullptr);

    /// Asks for a file and ticks again the items it lists: entries are read as sel1, sel2, ... up to the
    /// tree's item count, and each ticks the first item after the previous match whose text equals it
    /// exactly. Events run after every tick. Only adds ticks. A file that cannot be read or holds no
    /// selections is told in a warning, and the load is not done.
    static Result LoadSelections_Click(SceneTree& tree, ModuleINI& ini, FileDialog& dialog, EventPump& events,
                                       MessageBox& messages, const QString& address);

    /// The load without a dialog: ticks again the items that `fileName` lists, matched as above; the
    /// profile target is back on the program's settings afterwards. When the file is missing or holds no
    /// "Selections" section (text that is no profile text holds none), `error` (unless null) gets
    /// "<fileName> holds no selections"; when it cannot be read, a sentence with the reason.
    static Result LoadSelectionsFrom(SceneTree& tree, ModuleINI& ini, EventPump& events,
                                     const QString& fileName, QString* error = nullptr);
};

} // namespace vendrel
