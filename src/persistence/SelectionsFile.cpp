#include "SelectionsFile.h"

#include "ModuleINI.h"
#include "SettingsTargetGuard.h"
#include "core/EventPump.h"
#include "core/FileDialog.h"
#include "core/FileNames.h"
#include "core/MessageBox.h"
#include "scene/SceneTree.h"
#include "selection/TextPositions.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <exception>
#include <vector>

namespace vendrel {

QString SelectionsFile::defaultFileName(const QString& address)
{
    return FileNames::StripExtension(address) + defaultExtension;
}

SelectionsFile::Result SelectionsFile::FileSaveSel_Click(SceneTree& tree, ModuleINI& ini, FileDialog& dialog,
                                                         const QString& address, QString* error)
{
    Result result;
    try {
        const auto chosen = dialog.showSave(
            FileDialogRequest::make(saveFilter, defaultExtension, defaultFileName(address), saveFlags));
        if (!chosen)
            return result;
        result.fileName = *chosen;

        SettingsTargetGuard target(ini, QFileInfo(*chosen).absoluteFilePath(), section);
        ModuleINI::Entries entries;
        const int count = tree.count();
        for (int i = 1; i <= count; ++i) {
            if (tree.checked(i))
                entries.emplace_back(keyPrefix + QString::number(i), tree.text(i));
        }
        // One write for the whole section: a section of many entries is not rewritten once per entry.
        QString reason;
        result.done = ini.ReplaceSection(entries, &reason);
        result.items = int(entries.size());
        if (!result.done && error)
            *error = u"Couldn't save the selections to " % *chosen % u": " % reason;
    } catch (const std::exception&) {
        result.done = false;
    }
    return result;
}

SelectionsFile::Result SelectionsFile::LoadSelections_Click(SceneTree& tree, ModuleINI& ini,
                                                            FileDialog& dialog, EventPump& events,
                                                            MessageBox& messages, const QString& address)
{
    try {
        const auto chosen =
            dialog.showOpen(FileDialogRequest::make(openFilter, defaultExtension, defaultFileName(address)));
        if (!chosen)
            return {};
        QString error;
        Result result = LoadSelectionsFrom(tree, ini, events, *chosen, &error);
        if (!error.isEmpty())
            messages.warn(error);
        return result;
    } catch (const std::exception&) {
        return {};
    }
}

SelectionsFile::Result SelectionsFile::LoadSelectionsFrom(SceneTree& tree, ModuleINI& ini, EventPump& events,
                                                          const QString& fileName, QString* error)
{
    Result result;
    result.fileName = fileName;
    try {
        SettingsTargetGuard target(ini, QFileInfo(fileName).absoluteFilePath(), section);
        // Read once: every entry is looked up, and the file must not be reread per entry.
        QString reason;
        const auto entries = ini.ReadSection(&reason);
        if (!entries) {
            if (error && reason.isEmpty())
                *error = fileName % u" holds no selections";
            else if (error)
                *error = u"Couldn't read the selections file " % fileName % u": " % reason;
            return result;
        }
        QStringList texts;
        const int n = tree.count();
        for (int i = 1; i <= n; ++i) {
            if (QString value = entries->value(keyPrefix + QString::number(i)); !value.isEmpty())
                texts.append(std::move(value));
        }
        // Follows a tree the user rebuilt while events ran.
        result.items = TextPositions(tree).tick(texts, &events, &result.unmatched);
        result.done = true;
    } catch (const std::exception&) {
        result.done = false;
    }
    return result;
}

} // namespace vendrel
