#pragma once

#include <QString>

namespace vendrel {

/// The host library, vendrel-host.js: what a page needs, on top of X_ITE, to run the scripts the tool
/// writes. It ships with the page files; the window and the batch tool copy it beside a script.
class HostLibrary
{
public:
    static inline const QString fileName = QStringLiteral("vendrel-host.js");

    /// The shipped file; "" when the page files are missing.
    static QString path();
    /// Writes the library into the folder of `scriptFile`. Returns whether it was written; otherwise
    /// `error` (unless null) gets a sentence for the user that names the file and the reason.
    static bool writeBeside(const QString& scriptFile, QString* error = nullptr);
};

} // namespace vendrel
