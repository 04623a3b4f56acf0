#pragma once

#include "core/SceneAccess.h"
#include "scene/SceneTree.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace vendrel {

/// How the script generator reads one ticked item: which functions its text asks for, how its field's
/// node is addressed, and the names the file defines for it. The generator and the script check both
/// go through these, so the check sees exactly what the generator writes.
class ScriptItem
{
public:
    /// The functions an item's text asks for: each marker counts wherever it stands in the text.
    struct Markers
    {
        bool listener = false; ///< "On_"
        bool getter = false;   ///< "Get_"
        bool setter = false;   ///< "Set_"
        bool any() const { return listener || getter || setter; }
    };
    static Markers markersOf(QStringView text);

    /// The field of an item that passed the marker test and how the generated code reaches its node.
    struct Address
    {
        NodeRef node; ///< the parent item's node, which owns the field
        FieldRef field;
        QString fieldName;
        /// The name the code addresses the node by: its DEF name, or for an unnamed node the nearest named
        /// ancestor's DEF name, the texts of the unnamed node items on the way and the field name.
        QString nodePath;
        /// "" for a field of a named node; else the nearest named ancestor's DEF name, "." and the field
        /// name.
        QString domPath;
    };
    /// Reads the DEF name of the parent item's node, the item's field and its name, in that order. Throws
    /// Failure when the parent holds no node, the item no field, or no named node is above an unnamed one.
    static Address addressOf(const SceneTree& tree, int index);
    /// What addressOf reads of an item's node, kept for the next item of the same node: a node's items
    /// follow one another, and a check reads each node once.
    struct NodeCache
    {
        int item = 0; ///< the node's item; 0: none read
        NodeRef node;
        QString defName;
        bool climbed = false;
        std::optional<SceneTree::NamedAncestor> ancestor;
    };
    /// The same, reading the node only when `cache` holds another one.
    static Address addressOf(const SceneTree& tree, int index, NodeCache& cache);

    static QString getterName(const QString& nodePath, const QString& fieldName);
    static QString listenerName(const QString& nodePath, const QString& fieldName);
    static QString observerName(const QString& nodePath, const QString& fieldName);
    /// The same names written over `into`, which keeps its capacity: a check of a hundred thousand
    /// names allocates none.
    static void getterName(QString& into, const QString& nodePath, const QString& fieldName);
    static void listenerName(QString& into, const QString& nodePath, const QString& fieldName);
    static void observerName(QString& into, const QString& nodePath, const QString& fieldName);

    /// Orientation fields, and every field of a node whose name says so, get no setter: false when the
    /// text contains "rientation".
    static bool mayHaveSetter(QStringView text);
};

} // namespace vendrel
