#pragma once

#include <QString>

namespace vendrel {

/// A modal message with the application's title. `show` has only an OK button and returns once the user
/// has closed it; the caller then goes on. `ask` has Yes and No and says whether the user chose Yes.
/// `warn` is `show` for a failure or a limit reached: boxes that have looks show it as a warning.
class MessageBox
{
public:
    virtual ~MessageBox() = default;
    virtual void show(const QString& text) = 0;
    virtual bool ask(const QString& question) = 0;
    virtual void warn(const QString& text) { show(text); }
};

} // namespace vendrel
