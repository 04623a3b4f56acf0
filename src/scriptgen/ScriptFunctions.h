#pragma once

#include "scene/SceneTree.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace vendrel {

/// The functions the script of the ticked items defines, one per row of a page that tries them: read
/// from the text the generator writes for each item, so they are exactly the script's.
class ScriptFunctions
{
public:
    struct Function
    {
        enum class Kind
        {
            Setter,   ///< "Set_...", called with its parameters
            Getter,   ///< "Get...", returns the field or its value
            Listener, ///< "On...", called by the field's observer with (f, t)
        };
        Kind kind = Kind::Getter;
        QString name;       ///< as the script defines it, e.g. "Set_Hop_keyValue"
        QStringList params; ///< e.g. {"i", "x", "y", "z"}; empty for getters
        int item = 0;       ///< the tree item that asked for it
        QString nodePath;   ///< how the script addresses the field's node ("" when it could not be read)
        QString fieldName;
        int fieldType = 0; ///< the field's type code; 0 when unknown
    };

    /// In the script's order of items; a name the script defines twice is listed once.
    static std::vector<Function> of(const SceneTree& tree);
    /// The same for the one item `index`, as if it were ticked.
    static std::vector<Function> ofItem(const SceneTree& tree, int index);
};

} // namespace vendrel
