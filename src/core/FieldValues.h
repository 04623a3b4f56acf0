#pragma once

// The live value of one field of the world shown now, read from the browser as the user looks at it.
// Values are never part of the scene the walk reads: each is asked for on its own and answered later.

#include "SceneAccess.h"

#include <QString>

#include <functional>

namespace vendrel {

/// One field's value as text, bounded: a multiple-valued field gives its first elements only.
struct FieldValueText
{
    /// The field has not changed since the last answer about it; nothing else is set.
    bool unchanged = false;
    /// False when the browser could not read the value; `text` then says why.
    bool readable = true;
    QString text;
    /// Multiple-valued fields: the number of elements and how many of the first ones `text` holds.
    /// Both -1 for a single-valued field.
    int elements = -1;
    int shown = -1;

    /// Longest text and most elements an answer carries.
    static constexpr int maxText = 2000;
    static constexpr int maxElements = 16;
};

/// Reads the value of one field at a time. Only the field asked about last is watched, so that a
/// caller polling it learns cheaply whether it changed.
class FieldValues
{
public:
    using Answer = std::function<void(const FieldValueText&)>;

    virtual ~FieldValues() = default;

    /// Asks for the value of the field `fieldName` of `node` as the browser holds it now. `answer` is
    /// called later, never inside this call, at most once, and not at all when a newer request, another
    /// world or the end of the page comes first. With `sinceLast`, a field that has not changed since
    /// the last answer about it is answered as unchanged. Throws Failure when it cannot ask at all.
    virtual void requestValue(const NodeRef& node, const QString& fieldName, bool sinceLast,
                              Answer answer) = 0;
};

} // namespace vendrel
