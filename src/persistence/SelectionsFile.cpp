#include "SelectionsFile.h"

#include "EventPump.h"
#include "FileDialog.h"
#include "ModuleINI.h"
#include "SceneTree.h"
#include "SettingsTargetGuard.h"

#include <exception>

namespace vendrel {

QString SelectionsFile::defaultFileName(const QString& address)
{
    const qsizetype dot = address.lastIndexOf(u'.');
    return QString((dot < 0 ? address : address.left(dot)) + defaultExtension);
}

bool SelectionsFile::FileSaveSel_Click(SceneTree& tree, ModuleINI& ini, FileDialog& dialog,
                                       const QString& address)
{
    try {
        FileDialogRequest request;
        request.filter = saveFilter;
        request.filterIndex = 1;
        request.defaultExtension = defaultExtension;
        request.flags = saveFlags;
        request.initialFileName = defaultFileName(address);
        const auto chosen = dialog.showSave(request);
        if (!chosen)
            return false;

        SettingsTargetGuard target(ini, *chosen, section);
        ModuleINI::Entries entries;
        const int count = tree.count();
        for (int i = 1; i <= count; ++i) {
            if (tree.checked(i))
                entries.emplace_back(keyPrefix + QString::number(i), tree.text(i).toString());
        }
        // One write for the whole section: a section of many entries is not rewritten once per entry.
        return ini.ReplaceSection(entries);
    } catch (const std::exception&) {
        return false;
    }
}

int SelectionsFile::LoadSelections_Click(SceneTree& tree, ModuleINI& ini, FileDialog& dialog,
                                         EventPump& events, const QString& address)
{
    try {
        FileDialogRequest request;
        request.filter = openFilter;
        request.filterIndex = 1;
        request.defaultExtension = defaultExtension;
        request.initialFileName = defaultFileName(address);
        const auto chosen = dialog.showOpen(request);
        if (!chosen)
            return -1;

        int lastMatched = 0;
        int ticked = 0;
        SettingsTargetGuard target(ini, *chosen, section);
        // Read once: every entry is looked up, and the file must not be reread per entry.
        const auto entries = ini.ReadSection();
        const int n = tree.count();
        for (int i = 1; i <= n; ++i) {
            const QString value = entries.value(keyPrefix + QString::number(i));
            if (value.isEmpty())
                continue;
            // The user may have rebuilt the tree while events ran.
            const int c = tree.count();
            for (int j = lastMatched + 1; j <= c; ++j) {
                if (tree.text(j) != value)
                    continue;
                tree.setChecked(j, true);
                ++ticked;
                lastMatched = j;
                events.processPendingEvents();
                break;
            }
        }
        return ticked;
    } catch (const std::exception&) {
        return -1;
    }
}

} // namespace vendrel
