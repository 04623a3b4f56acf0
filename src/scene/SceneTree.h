#pragma once

#include "core/SceneAccess.h"

#include <QString>
#include <QStringView>

#include <cstdint>
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
/// Keys and texts are stored as parts: a short head, the whole of an earlier part and a short tail. A
/// deep chain of nodes, whose keys and texts each extend their parent's, so costs memory linear in its
/// depth. The tree holds at most itemLimit() items.
class SceneTree
{
public:
    /// A stored string; 0 is the empty one. Valid until the next clear().
    using PartId = std::uint32_t;
    static constexpr int defaultItemLimit = 5'000'000;

    SceneTree();
    ~SceneTree();
    SceneTree(const SceneTree&) = delete;
    SceneTree& operator=(const SceneTree&) = delete;

    /// Removes every item.
    void clear();

    /// Stores head + part(base) + tail and returns its id.
    PartId compose(QStringView head, PartId base = 0, QStringView tail = {});
    /// The string a part holds.
    QString part(PartId id) const;

    /// Appends an item as the last child of item `parentIndex` (0: a top-level item) and returns its
    /// index. Fails when the key is already in the tree, the parent is not, or the tree is full.
    int add(int parentIndex, PartId key, PartId text);
    /// The same with the parent given by its key (empty: top level) and key and text given whole.
    int add(QStringView parentKey, QStringView key, QStringView text);

    int count() const { return int(m_items.size()); }
    /// Index of the item with this key; 0 when there is none.
    int indexOfKey(QStringView key) const;

    /// How many items the tree takes; add() fails beyond it. It stays through clear().
    int itemLimit() const { return m_itemLimit; }
    void setItemLimit(int limit) { m_itemLimit = limit; }
    bool full() const { return count() >= m_itemLimit; }

    QString key(int index) const;
    QString text(int index) const;
    PartId keyPart(int index) const;
    PartId textPart(int index) const;
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
    /// that holds no node (the top item). A failing DEF name read goes to the caller.
    std::optional<NamedAncestor> namedAncestor(int from, QStringView fieldName) const;

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
    struct Part
    {
        std::uint64_t hash;
        const char16_t* chars; // the head, then the tail
        PartId base;
        std::uint32_t length; // of the whole string
        std::uint32_t headLength;
        std::uint32_t tailLength;
    };

    struct Item
    {
        std::shared_ptr<SceneObject> tag;
        PartId key;
        PartId text;
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
    /// The slot whose item's key is `key` (or part `keyPart`, when it is not 0), or the empty slot where
    /// it would go.
    const Slot* findSlot(std::uint64_t hash, QStringView key, PartId keyPart = 0) const;
    void growIndex();
    bool partEquals(PartId id, QStringView text) const;
    std::uint64_t hashOf(QStringView text) const;

    const Item& item(int index) const;
    Item& item(int index);
    const char16_t* store(QStringView text);
    const std::vector<int>& childList(int index) const;
    void checkChanged(int index);

    std::vector<Part> m_parts;
    std::vector<Item> m_items;
    std::vector<Slot> m_slots;
    std::vector<int> m_topLevel;
    // Children by position, made when a view first asks for them; a walk never needs them.
    mutable std::unordered_map<int, std::vector<int>> m_childCache;
    std::vector<std::unique_ptr<char16_t[]>> m_chunks;
    std::size_t m_chunkUsed = 0;
    std::size_t m_chunkSize = 0;
    int m_itemLimit = defaultItemLimit;
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
