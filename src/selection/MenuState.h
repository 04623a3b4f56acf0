#pragma once

namespace vendrel {

/// The seven menu entries that make sense only once a world has been loaded.
enum class WorldMenuEntry
{
    FileSaveSel,
    LoadSelections,
    FindName,
    SelectAllOn,
    SelectAllGet,
    SelectAllSet,
    DeselectAll,
};

/// The main window's menu as the selection commands see it.
class MenuState
{
public:
    virtual ~MenuState() = default;
    virtual void setEnabled(WorldMenuEntry entry, bool enabled) = 0;
};

} // namespace vendrel
