#pragma once

#include "platform/WebEngineSetup.h"

#include <QString>

namespace vendrel::test {

/// The web engine's switches and URL scheme must be in place before the test main makes the application;
/// a test program of the embedded browser includes this header, which sees to it before main() runs.
inline const bool webEnginePrepared = [] {
    prepareWebEngine();
    return true;
}();

#ifdef VENDREL_TEST_WORLDS
/// A world written for the tests.
inline QString world(const char* name)
{
    return QStringLiteral(VENDREL_TEST_WORLDS "/") + QString::fromUtf8(name);
}
#endif

} // namespace vendrel::test
