#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace vendrel {

/// What a command asks of an open or save dialog. The filter uses the classic "Name|pattern|" list form,
/// for example "JavaScript (*.js)|*.js|"; `filterIndex` is 1-based.
struct FileDialogRequest
{
    QString filter;
    int filterIndex = 1;
    QString defaultExtension; // ".js": added to a chosen name that has no extension
    int flags = 0;
    QString initialFileName;

    /// A request for the first filter of `filter`; every command asks its dialogs this way.
    static FileDialogRequest make(QString filter, QString defaultExtension, QString initialFileName,
                                  int flags = 0)
    {
        return {std::move(filter), 1, std::move(defaultExtension), flags, std::move(initialFileName)};
    }
    bool operator==(const FileDialogRequest&) const = default;
};

/// Modal file dialogs. Cancel is reported as no answer, which every command treats as a failure that
/// ends it silently.
class FileDialog
{
public:
    virtual ~FileDialog() = default;
    virtual std::optional<QString> showOpen(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> showSave(const FileDialogRequest& request) = 0;
    /// A folder dialog: `request.initialFileName` is the folder it starts in (the filter is unused).
    virtual std::optional<QString> showFolder(const FileDialogRequest& request) = 0;
};

} // namespace vendrel
