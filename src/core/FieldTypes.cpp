#include "FieldTypes.h"

#include <array>

namespace vendrel {

namespace {
constexpr std::array<const char16_t*, 31> typeNames = {
    u"",         u"SFBool",   u"MFBool",  u"SFColor",    u"MFColor",    u"SFColorRGBA", u"MFColorRGBA",
    u"SFDouble", u"MFDouble", u"SFFloat", u"MFFloat",    u"SFImage",    u"MFImage",     u"SFInt32",
    u"MFInt32",  u"SFNode",   u"MFNode",  u"SFRotation", u"MFRotation", u"SFString",    u"MFString",
    u"SFTime",   u"MFTime",   u"SFVec2d", u"MFVec2d",    u"SFVec2f",    u"MFVec2f",     u"SFVec3d",
    u"MFVec3d",  u"SFVec3f",  u"MFVec3f",
};
constexpr std::array<const char16_t*, 4> accessNames = {u"initializeOnly", u"inputOnly", u"outputOnly",
                                                        u"inputOutput"};
} // namespace

int fieldTypeCode(QStringView typeName)
{
    for (int code = 1; code < int(typeNames.size()); ++code) {
        if (typeName == QStringView(typeNames[code]))
            return code;
    }
    return UnknownField;
}

QString fieldTypeName(int code)
{
    if (code < 1 || code >= int(typeNames.size()))
        return {};
    return QString::fromUtf16(typeNames[code]);
}

int accessTypeCode(QStringView word)
{
    if (word == u"initializeOnly" || word == u"field")
        return InitializeOnly;
    if (word == u"inputOnly" || word == u"eventIn")
        return InputOnly;
    if (word == u"outputOnly" || word == u"eventOut")
        return OutputOnly;
    if (word == u"inputOutput" || word == u"exposedField")
        return InputOutput;
    return -1;
}

QString accessTypeName(int code)
{
    if (code < 0 || code >= int(accessNames.size()))
        return {};
    return QString::fromUtf16(accessNames[code]);
}

} // namespace vendrel
