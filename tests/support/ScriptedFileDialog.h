#pragma once

#include "core/FileDialog.h"

#include <deque>
#include <optional>
#include <vector>

namespace vendrel::test {

/// Answers file dialogs from a script and records what each command asked. An answer of nullopt is a
/// cancel; with the script empty every dialog is cancelled.
class ScriptedFileDialog : public FileDialog
{
public:
    struct Call
    {
        bool save = false;
        FileDialogRequest request;
    };

    std::optional<QString> showOpen(const FileDialogRequest& request) override
    {
        return answer(false, request);
    }
    std::optional<QString> showSave(const FileDialogRequest& request) override
    {
        return answer(true, request);
    }

    std::optional<QString> showFolder(const FileDialogRequest& request) override
    {
        return answer(true, request);
    }

    std::deque<std::optional<QString>> answers;
    std::vector<Call> calls;

private:
    std::optional<QString> answer(bool save, const FileDialogRequest& request)
    {
        calls.push_back({save, request});
        if (answers.empty())
            return std::nullopt;
        // Copied as a name and a flag: GCC takes a copied optional<QString> for uninitialised.
        const bool cancel = !answers.front();
        const QString name = cancel ? QString() : *answers.front();
        answers.pop_front();
        if (cancel)
            return std::nullopt;
        return name;
    }
};

} // namespace vendrel::test
