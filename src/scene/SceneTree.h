#pragma once

#include "core/SceneAccess.h"

#include <QStringView>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace vendrel {

class SceneTreeObserver;

/// The scene tree: the system's one model of the analysed world. Items are kept in creation order and
/// addressed by their 1-based index; each has a unique key, a text, a tag, a tick, a parent and display
/// state. Items are only ever appended, or all removed at once. Every accessor that takes an index
/// throws Failure when no item has it, so a command that let events run (and may have seen the tree
/// rebuilt meanwhile) cannot reach a stale item.
///
/// Keys and texts are handed out as views that stay valid until the next clear().
class SceneTree
{
public:
    SceneTree();
    ~SceneTree();
    SceneTree(const SceneTree&) = delete;
    SceneTree& operator=(const SceneTree&) = delete;

    /// Removes every item.
    void clear();

    /// Appends an item as the last child of the item keyed `parentKey`, or as a top-level item when
    /// `parentKey` is empty, and returns its index. Fails when `key` is already in the tree or
    /// `parentKey` is not.
    int add(QStringView parentKey, QStringView key, QStringView text);

    int count() const { return int(m_items.size()); }
    /// Index of the item with this key; 0 when there is none.
    int indexOfKey(QStringView key) const;

    QStringView key(int index) const;
    QStringView text(int index) const;
    /// Index of the item's parent; 0 for a top-level item.
    int parent(int index) const;

    const std::shared_ptr<SceneObject>& tag(int index) const;
    void setTag(int index, std::shared_ptr<SceneObject> tag);
    /// The tag as a node or as a field; null when it is empty or of the other kind.
    NodeRef tagNode(int index) const;
    FieldRef tagField(int index) const;

    /// How a field of a node without a DEF name is addressed: the DEF name of the nearest named node
    /// item at or above `from`, and the path joining that name, the texts of the unnamed node items
    /// passed on the way (from the top down) and `fieldName` with "_".
    struct NamedAncestor
    {
        QString name;
        QString path;
    };
    /// Climbs from item `from` through node items without a DEF name. Empty when it reaches an item
    /// that holds no node (the top item) or `beforeStep` (called with each item before it is read; it may
    /// let events run) says to stop. A failing DEF name read goes to the caller.
    std::optional<NamedAncestor> namedAncestor(int from, QStringView fieldName,
                                               const std::function<bool(int)>& beforeStep = {}) const;

    bool checked(int index) const;
    void setChecked(int index, bool checked);
    bool expanded(int index) const;
    void setExpanded(int index, bool expanded);
    /// The tree highlights at most one item.
    bool selected(int index) const;
    void setSelected(int index, bool selected);
    int selectedIndex() const { return m_selected; }

    /// Children of an item in order (index 0 stands for the invisible root above the top-level items).
    int childCount(int index) const;
    int child(int index, int row) const;
    /// Position of the item among its parent's children.
    int row(int index) const;

    /// Goes up by one at every clear(), so that a command can tell that the tree was rebuilt while it let
    /// events run.
    std::uint64_t generation() const { return m_generation; }

    void addObserver(SceneTreeObserver* observer);
    void removeObserver(SceneTreeObserver* observer);

    /// While a build is open, additions are announced once, when it closes; builds nest.
    void beginBuild();
    void endBuild();

    /// Collects the tick changes made while it lives into one notification.
    class ChangeBatch
    {
    public:
        explicit ChangeBatch(SceneTree& tree);
        ~ChangeBatch();
        ChangeBatch(const ChangeBatch&) = delete;
        ChangeBatch& operator=(const ChangeBatch&) = delete;

    private:
        SceneTree& m_tree;
    };

private:
    struct Item
    {
        const char16_t* key;
        const char16_t* text;
        std::uint32_t keyLength;
        std::uint32_t textLength;
        std::shared_ptr<SceneObject> tag;
        int parent;
        int row;
        int childCount;
        bool checked;
        bool expanded;
    };

    /// Open-addressed table from key to index: 8 bytes a slot, one memory access for most look-ups.
    struct Slot
    {
        std::uint32_t hash;
        std::uint32_t index; // 0: empty
    };
    std::uint32_t hashOf(QStringView key) const;
    /// The slot that holds `key`, or the empty slot where it would go.
    Slot& findSlot(QStringView key, std::uint32_t hash);
    const Slot* findSlot(QStringView key, std::uint32_t hash) const;
    void growIndex();

    const Item& item(int index) const;
    Item& item(int index);
    const char16_t* store(QStringView text);
    const std::vector<int>& childList(int index) const;
    void checkChanged(int index);

    std::vector<Item> m_items;
    std::vector<Slot> m_slots;
    std::vector<int> m_topLevel;
    // Children by position, made when a view first asks for them; a walk never needs them.
    mutable std::unordered_map<int, std::vector<int>> m_childCache;
    std::vector<std::unique_ptr<char16_t[]>> m_chunks;
    std::size_t m_chunkUsed = 0;
    std::size_t m_chunkSize = 0;
    int m_selected = 0;
    int m_lastParent = 0;
    std::uint64_t m_generation = 0;
    int m_buildDepth = 0;
    int m_batchDepth = 0;
    int m_batchFirst = 0;
    int m_batchLast = 0;
    std::vector<SceneTreeObserver*> m_observers;
};

} // namespace vendrel
