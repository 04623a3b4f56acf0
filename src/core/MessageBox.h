#pragma once

#include <QString>

namespace vendrel {

/// A modal message with only an OK button and the application's title. `show` returns once the user
/// has closed it; the caller then goes on.
class MessageBox
{
public:
    virtual ~MessageBox() = default;
    virtual void show(const QString& text) = 0;
};

} // namespace vendrel
