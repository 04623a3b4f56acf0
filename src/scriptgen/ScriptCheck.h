#pragma once

#include <QString>

#include <vector>

namespace vendrel {

class SceneTree;

/// Finds the faults of the script the generator would write for the items ticked now that no page can
/// repair: names defined twice, names JavaScript does not accept, GetDOMValue paths that cannot tell
/// nodes apart, functions that can never work, and ticked items that make nothing. It reads the tree
/// and the scene as the generator does and changes neither; the script itself is never touched.
class ScriptCheck
{
public:
    struct Finding
    {
        enum class Kind
        {
            DuplicateName, ///< a function or variable the file defines more than once
            InvalidName,   ///< a name that is no JavaScript identifier, or text that ends a string literal
            ReservedName,  ///< a JavaScript reserved word, or a name the file or its page defines itself
            AmbiguousPath, ///< a GetDOMValue path that more than one node answers to
            NeverWorks,    ///< a function that reads or writes a field the other way from its access type
            NoFunction,    ///< a ticked item, or one of its markers, that makes nothing
        };
        Kind kind;
        int item; ///< the ticked item, by index
        QString detail;
    };
    struct Result
    {
        std::vector<Finding> findings; ///< in item order
        int functions = 0;             ///< getters, setters and listeners the file holds
    };

    /// Checks the items of `tree` ticked now.
    static Result run(const SceneTree& tree);

    /// The kind as one word: "duplicate-name", "invalid-name", "reserved-name", "ambiguous-path",
    /// "never-works" or "no-function".
    static QString kindWord(Finding::Kind kind);
    /// "KIND: ITEM TEXT: detail"
    static QString describe(const SceneTree& tree, const Finding& finding);
};

} // namespace vendrel
