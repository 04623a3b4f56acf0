#pragma once

#include <QString>
#include <QStringView>

namespace vendrel {

/// Access type codes of the scene access interface.
enum AccessType : int
{
    InitializeOnly = 0,
    InputOnly = 1,
    OutputOnly = 2,
    InputOutput = 3,
};

/// Field type codes: 0 for a type outside the list, then the X3D field types in pairs, single-valued first.
enum FieldType : int
{
    UnknownField = 0,
    SFBool = 1,
    MFBool,
    SFColor,
    MFColor,
    SFColorRGBA,
    MFColorRGBA,
    SFDouble,
    MFDouble,
    SFFloat,
    MFFloat,
    SFImage,
    MFImage,
    SFInt32,
    MFInt32,
    SFNode,
    MFNode,
    SFRotation,
    MFRotation,
    SFString,
    MFString,
    SFTime,
    MFTime,
    SFVec2d,
    MFVec2d,
    SFVec2f,
    MFVec2f,
    SFVec3d,
    MFVec3d,
    SFVec3f,
    MFVec3f = 30,
};

/// The code of an X3D field type name ("SFVec3f" gives 29); 0 for any other name.
int fieldTypeCode(QStringView typeName);

/// The X3D name of a field type code; "" for 0 and codes outside 1 to 30.
QString fieldTypeName(int code);

/// The access type code of "initializeOnly", "inputOnly", "outputOnly" or "inputOutput" (and the VRML 97
/// words "field", "eventIn", "eventOut", "exposedField"); -1 for any other word.
int accessTypeCode(QStringView word);

/// The X3D word of an access type code ("inputOutput" for 3); "" for codes outside 0 to 3.
QString accessTypeName(int code);

} // namespace vendrel
