#pragma once

#include "TextChunks.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

namespace vendrel {

class SceneTree;
class FileDialog;

/// Turns the ticked access items of the scene tree into one JavaScript file: a getter for every ticked
/// "Get_" item, a setter chosen by the field's type for every ticked "Set_" item, and for every ticked
/// "On_" item an observer, its set-up inside setupListeners() and a listener function.
class ScriptGenerator
{
public:
    explicit ScriptGenerator(SceneTree& tree);

    /// The "Create SAI JavaScript" command: builds the script, asks for a file name in a save dialog
    /// proposed from `addressText` (the world's address as the address box shows it) and writes the
    /// file. Cancel ends it with nothing written; a failure to write ends it without a message and leaves
    /// any earlier file of that name as it was. Returns whether the file was written; on a failure to
    /// write, `error` (unless null) gets a sentence for the user that names the file and the reason.
    bool CommandGo_Click(const QString& addressText, FileDialog& dialog, QString* error = nullptr);
    /// The file the last CommandGo_Click wrote, or tried to write; "" when it was cancelled.
    const QString& fileName() const { return m_fileName; }

    /// The whole file's text for the items of `tree` ticked now, with CR LF line ends. Reads the tree
    /// and the items' fields only; an item that fails keeps what it had added and the visit goes on.
    static QString GenerateScript(const SceneTree& tree);
    /// The same as the file's bytes: UTF-8 without a byte-order mark.
    static QByteArray GenerateScriptUtf8(const SceneTree& tree);
    /// The same in blocks, as the command writes it: for large scripts the fastest form, since it is
    /// never copied into one piece. Throws Failure when `deadline` passes first.
    static TextChunks GenerateScriptChunks(const SceneTree& tree,
                                           QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));

    /// What the script holds for one item when it is ticked, in the file's order: its observer
    /// declaration, setter, getter, listener set-up block and listener function, as far as it has them;
    /// `missing` tells why a part is not there (a "Set_" item without setter, a failing item).
    struct ItemScript
    {
        QString text;
        QString missing;
    };
    static ItemScript ScriptOfItem(const SceneTree& tree, int index);

    /// The file name the save dialog proposes for a world address: for an "http" address the world's
    /// file name in `currentDirectory`, otherwise the address itself, each with its extension replaced
    /// by ".js".
    static QString InitialFileName(const QString& addressText, const QString& currentDirectory);
    /// The same in the process's current directory.
    static QString InitialFileName(const QString& addressText);

private:
    SceneTree& m_tree;
    QString m_fileName;
};

} // namespace vendrel
