#include "ScriptTemplates.h"

#include "core/FieldTypes.h"

namespace vendrel {

namespace {

// Every generated line ends with CR LF.
#define CRLF u"\r\n"

QString singleValueSetter(const QString& nodePath, const QString& fieldName, const char16_t* parameters,
                          const char16_t* libraryCall, const char16_t* callTail)
{
    return u"function " % ScriptTemplates::MakeSetterName(nodePath, fieldName) % parameters % CRLF u"{" CRLF %
           libraryCall % nodePath % u"\", \"" % ScriptTemplates::MakeEventInName(fieldName) % callTail %
           CRLF u"}" CRLF CRLF;
}

QString elementSetter(const QString& nodePath, const QString& fieldName, bool rotation)
{
    return u"function " % ScriptTemplates::MakeSetterName(nodePath, fieldName) %
           (rotation ? u"(i,x,y,z,a)" CRLF : u"(i,x,y,z)" CRLF) %
           u"{" CRLF u"    var mf;" CRLF u"    node = context.getNode(\"" % nodePath %
           u"\");" CRLF u"    field = node.getField(\"" % fieldName %
           u"\");" CRLF u"    mf = "
           u"field.get1Value(i)"
           u";" CRLF u"    mf.x = x;" CRLF u"    mf.y = y;" CRLF u"    mf.z = z;" CRLF %
           (rotation ? u"    mf.a = a;" CRLF : u"") % u"    field.set1Value(i,mf);" CRLF u"}" CRLF;
}

} // namespace

void ScriptTemplates::MakeSetterName(QString& into, const QString& nodePath, const QString& fieldName)
{
    into.resize(0);
    into.append(u"Set_").append(nodePath).append(u'_').append(fieldName);
}

QString ScriptTemplates::MakeSetterName(const QString& nodePath, const QString& fieldName)
{
    QString name;
    MakeSetterName(name, nodePath, fieldName);
    return name;
}

QString ScriptTemplates::MakeEventInName(const QString& fieldName)
{
    if (fieldName.contains(u"set_"))
        return fieldName;
    return u"set_" % fieldName;
}

QString ScriptTemplates::MakeListenerFunction(const QString& listenerName, const QString& observerName)
{
    return u"function " % listenerName % u"(f, t)" CRLF u"{" CRLF u"    f = " % observerName %
           u".field.getValue(); // ignore one passed (mozilla activex plugin bug), use our "
           u"cop"
           u"y" CRLF u"    if "
           u"(f"
           u")" CRLF u"    {" CRLF u"        // PLACE  YOUR CODE HERE" CRLF u"    }" CRLF u"}" CRLF;
}

QString ScriptTemplates::MakeListenerSetup(const QString& nodePath, const QString& fieldName,
                                           const QString& observerName, const QString& listenerName)
{
    return u"            node = context.getNode(\"" % nodePath %
           u"\");" CRLF u"            field = node.getField(\"" % fieldName % u"\");" CRLF u"            " %
           observerName % u" = new Object;" CRLF u"            " % observerName %
           u".readableFieldChanged = " % listenerName % u";" CRLF u"            " % observerName %
           u".field = field;" CRLF u"            field.addFieldEventListener(" % observerName % u");" CRLF;
}

QString ScriptTemplates::MakeGetter(const QString& getterName, const QString& nodePath,
                                    const QString& domPath, const QString& fieldName)
{
    if (!domPath.isEmpty())
        return u"function " % getterName % u"()" CRLF u"{" CRLF u"    return GetDOMValue(\"" % domPath %
               u"\");" CRLF u"}" CRLF;
    return u"function " % getterName % u"()" CRLF u"{" CRLF u"    node = context.getNode(\"" % nodePath %
           u"\");" CRLF u"    field = node.getField(\"" % fieldName %
           u"\");" CRLF u"    return field.getValue();" CRLF u"}" CRLF;
}

QString ScriptTemplates::MakeFieldGetter(const QString& getterName, const QString& nodePath,
                                         const QString& fieldName)
{
    return u"function " % getterName % u"()" CRLF u"{" CRLF u"    node = context.getNode(\"" % nodePath %
           u"\");" CRLF u"    field = node.getField(\"" % fieldName %
           u"\");" CRLF u"    return field;" CRLF u"}" CRLF;
}

QString ScriptTemplates::MakeSetter(const QString& nodePath, const QString& fieldName)
{
    return singleValueSetter(nodePath, fieldName, u"(v)", u"   setNodeEventIn(\"", u"\", v);");
}

QString ScriptTemplates::MakeSetterRGB(const QString& nodePath, const QString& fieldName)
{
    return singleValueSetter(nodePath, fieldName, u"(r,g,b)", u"   setNodeEventInRGB(\"", u"\", r, g, b);");
}

QString ScriptTemplates::MakeSetterArray(const QString& nodePath, const QString& fieldName)
{
    return singleValueSetter(nodePath, fieldName, u"(arr)", u"   setNodeEventInArray(\"", u"\", arr);");
}

QString ScriptTemplates::MakeSetterRot(const QString& nodePath, const QString& fieldName)
{
    return singleValueSetter(nodePath, fieldName, u"(x,y,z,a)", u"   setNodeEventInRot(\"",
                             u"\", x, y, z, a);");
}

QString ScriptTemplates::MakeSetterXY(const QString& nodePath, const QString& fieldName)
{
    return singleValueSetter(nodePath, fieldName, u"(x,y)", u"   setNodeEventInXY(\"", u"\", x, y);");
}

QString ScriptTemplates::MakeSetterXYZ(const QString& nodePath, const QString& fieldName)
{
    return singleValueSetter(nodePath, fieldName, u"(x,y,z)", u"   setNodeEventInXYZ(\"", u"\", x, y, z);");
}

QString ScriptTemplates::MakeElementSetterRot(const QString& nodePath, const QString& fieldName)
{
    return elementSetter(nodePath, fieldName, true);
}

QString ScriptTemplates::MakeElementSetterVec3(const QString& nodePath, const QString& fieldName)
{
    return elementSetter(nodePath, fieldName, false);
}

bool ScriptTemplates::IsElementSetter(SetterTemplate setter)
{
    return setter == &MakeElementSetterRot || setter == &MakeElementSetterVec3;
}

ScriptTemplates::SetterTemplate ScriptTemplates::SetterFor(int typeCode)
{
    switch (typeCode) {
    case SFBool:
    case SFDouble:
    case SFFloat:
    case SFInt32:
    case SFString:
    case SFTime:
        return &MakeSetter;
    case SFColor:
        return &MakeSetterRGB;
    case MFFloat:
    case MFInt32:
    case MFString:
        return &MakeSetterArray;
    case SFRotation:
        return &MakeSetterRot;
    case SFVec2f:
    case SFVec2d:
        return &MakeSetterXY;
    case SFVec3f:
    case SFVec3d:
        return &MakeSetterXYZ;
    case MFRotation:
        return &MakeElementSetterRot;
    case MFVec3f:
    case MFVec3d:
        return &MakeElementSetterVec3;
    default:
        return nullptr;
    }
}

#undef CRLF

} // namespace vendrel
