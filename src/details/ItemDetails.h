#pragma once

#include "core/FieldValues.h"
#include "core/SceneAccess.h"

#include <QString>

#include <optional>

namespace vendrel {

class SceneTree;

/// The text of the details area for one tree item, made from the tree, the scene and the script
/// generator: for a node item its type, DEF name or how it is addressed, its path and field count; for
/// a field or access item the field's name, type, access type, value and the item's script text.
class ItemDetails
{
public:
    /// The field a field or access item stands for.
    struct Field
    {
        NodeRef node;
        FieldInfo info;
    };
    /// The field of item `index`; empty for the other kinds and when it cannot be read.
    static std::optional<Field> fieldOf(const SceneTree& tree, int index);

    /// The details of item `index` (0: none); `value` is the field's value as last read, or empty while
    /// it has not been.
    static QString describe(const SceneTree& tree, int index, const std::optional<FieldValueText>& value);

    /// The value line's text for a value as read.
    static QString valueText(const FieldValueText& value);
};

} // namespace vendrel
