#pragma once

#include <QString>

namespace vendrel {

/// The JavaScript text of every function the generated script holds. Each template places the names it
/// is given, unescaped, and returns whole lines, each ending in CR LF. None reads tree or scene state,
/// and none can fail.
class ScriptTemplates
{
public:
    /// A setter template: node path and field name give the whole setter function.
    using SetterTemplate = QString (*)(const QString& nodePath, const QString& fieldName);

    /// The name of every setter: "Set_", node path, "_", field name.
    static QString MakeSetterName(const QString& nodePath, const QString& fieldName);
    /// The same written over `into`, which keeps its capacity.
    static void MakeSetterName(QString& into, const QString& nodePath, const QString& fieldName);

    /// The event-in name the setter library calls receive: the field name when it already contains
    /// "set_" anywhere, otherwise "set_" and the field name.
    static QString MakeEventInName(const QString& fieldName);

    /// The listener function (8 lines): it rereads the field through its observer.
    static QString MakeListenerFunction(const QString& listenerName, const QString& observerName);

    /// The block inside setupListeners() that attaches one observer (6 lines, indented by 12).
    static QString MakeListenerSetup(const QString& nodePath, const QString& fieldName,
                                     const QString& observerName, const QString& listenerName);

    /// A getter: 4 lines calling GetDOMValue when `domPath` is not empty (a field of an unnamed node),
    /// otherwise 6 lines reading the field's value through the named node.
    static QString MakeGetter(const QString& getterName, const QString& nodePath, const QString& domPath,
                              const QString& fieldName);

    /// The getter that returns the field object itself (6 lines); used for SFColor fields.
    static QString MakeFieldGetter(const QString& getterName, const QString& nodePath,
                                   const QString& fieldName);

    /// Single-value setters (5 lines, the last one empty), each calling one page library function.
    static QString MakeSetter(const QString& nodePath, const QString& fieldName);      // (v)
    static QString MakeSetterRGB(const QString& nodePath, const QString& fieldName);   // (r,g,b)
    static QString MakeSetterArray(const QString& nodePath, const QString& fieldName); // (arr)
    static QString MakeSetterRot(const QString& nodePath, const QString& fieldName);   // (x,y,z,a)
    static QString MakeSetterXY(const QString& nodePath, const QString& fieldName);    // (x,y)
    static QString MakeSetterXYZ(const QString& nodePath, const QString& fieldName);   // (x,y,z)
    /// Element setters: replace element i of an MFRotation (12 lines) or MFVec3 field (11 lines), with
    /// no empty line after them.
    static QString MakeElementSetterRot(const QString& nodePath, const QString& fieldName);
    static QString MakeElementSetterVec3(const QString& nodePath, const QString& fieldName);

    /// The setter template for a field type code; null for the codes that get no setter.
    static SetterTemplate SetterFor(int typeCode);
    /// Whether the template replaces one element, which it reads from the field first.
    static bool IsElementSetter(SetterTemplate setter);
};

} // namespace vendrel
