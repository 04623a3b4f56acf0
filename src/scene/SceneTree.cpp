#include "SceneTree.h"

#include "SceneTreeObserver.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vendrel {

namespace {
// Keys and texts live in large shared blocks: a million items must not cost a million string headers.
constexpr std::size_t chunkChars = 32 * 1024;
constexpr char16_t emptyText[] = u"";

// Keys are hashed as polynomials in one multiplier, so the hash of head + base + tail follows from the
// base's hash and the lengths: a key made from its parent's costs no walk over the parent's key.
constexpr std::uint64_t multiplier = 0x100000001b3ULL;

std::uint64_t power(std::uint64_t exponent)
{
    std::uint64_t result = 1;
    std::uint64_t factor = multiplier;
    for (; exponent != 0; exponent >>= 1) {
        if (exponent & 1)
            result *= factor;
        factor *= factor;
    }
    return result;
}

std::uint64_t fold(std::uint64_t hash, QStringView text)
{
    for (const QChar c : text)
        hash = hash * multiplier + c.unicode() + 1;
    return hash;
}

std::uint32_t slotHash(std::uint64_t hash)
{
    return std::uint32_t(hash ^ (hash >> 32));
}
} // namespace

SceneTree::SceneTree()
{
    m_parts.push_back(Part{0, emptyText, 0, 0, 0, 0});
}

SceneTree::~SceneTree() = default;

void SceneTree::clear()
{
    m_slots.clear();
    m_items.clear();
    m_parts.resize(1);
    m_childCache.clear();
    m_topLevel.clear();
    m_chunks.clear();
    m_chunkUsed = 0;
    m_chunkSize = 0;
    m_selected = 0;
    m_lastParent = 0;
    m_batchFirst = m_batchLast = 0;
    ++m_generation;
    for (auto* observer : m_observers)
        observer->treeCleared();
}

const char16_t* SceneTree::store(QStringView text)
{
    const std::size_t length = std::size_t(text.size());
    if (length == 0)
        return emptyText;
    if (length > chunkChars / 4) {
        // A long text gets a block of its own, so the current block keeps its room.
        auto block = std::make_unique<char16_t[]>(length);
        std::memcpy(block.get(), text.utf16(), length * sizeof(char16_t));
        const char16_t* stored = block.get();
        m_chunks.insert(m_chunks.end() - (m_chunks.empty() ? 0 : 1), std::move(block));
        return stored;
    }
    if (m_chunks.empty() || m_chunkUsed + length > m_chunkSize) {
        m_chunks.push_back(std::make_unique<char16_t[]>(chunkChars));
        m_chunkSize = chunkChars;
        m_chunkUsed = 0;
    }
    char16_t* stored = m_chunks.back().get() + m_chunkUsed;
    std::memcpy(stored, text.utf16(), length * sizeof(char16_t));
    m_chunkUsed += length;
    return stored;
}

SceneTree::PartId SceneTree::compose(QStringView head, PartId base, QStringView tail)
{
    if (base >= m_parts.size())
        throw Failure("No part " + std::to_string(base));
    const Part& inner = m_parts[base];
    const std::uint64_t total = std::uint64_t(head.size()) + inner.length + std::uint64_t(tail.size());
    if (total > std::numeric_limits<std::uint32_t>::max() ||
        m_parts.size() >= std::numeric_limits<PartId>::max())
        throw Failure("The text is too long");
    if (head.isEmpty() && tail.isEmpty())
        return base;

    Part made{};
    made.hash = fold(fold(0, head) * power(inner.length) + inner.hash, tail);
    made.base = inner.length == 0 ? 0 : base;
    made.length = std::uint32_t(total);
    made.headLength = std::uint32_t(head.size());
    made.tailLength = std::uint32_t(tail.size());
    if (head.size() + tail.size() <= 64) {
        char16_t joined[64];
        std::copy(head.utf16(), head.utf16() + head.size(), joined);
        std::copy(tail.utf16(), tail.utf16() + tail.size(), joined + head.size());
        made.chars = store(QStringView(joined, head.size() + tail.size()));
    } else {
        made.chars = store(QString(head.toString() + tail));
    }
    m_parts.push_back(made);
    return PartId(m_parts.size() - 1);
}

QString SceneTree::part(PartId id) const
{
    if (id >= m_parts.size())
        throw Failure("No part " + std::to_string(id));
    QString whole(qsizetype(m_parts[id].length), Qt::Uninitialized);
    char16_t* begin = reinterpret_cast<char16_t*>(whole.data());
    char16_t* end = begin + whole.size();
    for (; id != 0; id = m_parts[id].base) {
        const Part& p = m_parts[id];
        begin = std::copy(p.chars, p.chars + p.headLength, begin);
        end -= p.tailLength;
        std::copy(p.chars + p.headLength, p.chars + p.headLength + p.tailLength, end);
    }
    return whole;
}

bool SceneTree::partEquals(PartId id, QStringView text) const
{
    if (m_parts[id].length != std::uint64_t(text.size()))
        return false;
    for (; id != 0; id = m_parts[id].base) {
        const Part& p = m_parts[id];
        const QStringView head(p.chars, p.headLength);
        const QStringView tail(p.chars + p.headLength, p.tailLength);
        if (!text.startsWith(head) || !text.endsWith(tail))
            return false;
        text = text.mid(head.size(), text.size() - head.size() - tail.size());
    }
    return true;
}

std::uint64_t SceneTree::hashOf(QStringView text) const
{
    return fold(0, text);
}

int SceneTree::add(QStringView parentKey, QStringView key, QStringView text)
{
    int parentIndex = 0;
    if (!parentKey.isEmpty()) {
        // A walk adds the items of one node one after the other: look its key up once.
        if (m_lastParent > 0 && m_lastParent <= count() &&
            partEquals(m_items[m_lastParent - 1].key, parentKey))
            parentIndex = m_lastParent;
        else
            parentIndex = indexOfKey(parentKey);
        if (parentIndex == 0)
            throw Failure("No item with the key " + parentKey.toString().toStdString());
        m_lastParent = parentIndex;
    }
    return add(parentIndex, compose(key), compose(text));
}

int SceneTree::add(int parentIndex, PartId key, PartId text)
{
    if (parentIndex != 0)
        item(parentIndex);
    if (key >= m_parts.size() || text >= m_parts.size())
        throw Failure("No such part");
    if (full())
        throw Failure("The tree is full");
    const int index = int(m_items.size()) + 1;
    if ((std::size_t(index) + 1) * 2 > m_slots.size())
        growIndex();
    const std::uint64_t hash = m_parts[key].hash;
    Slot& slot = const_cast<Slot&>(*findSlot(hash, {}, key));
    if (slot.index != 0)
        throw Failure("Key is not unique: " + part(key).toStdString());

    int row;
    if (parentIndex == 0) {
        row = int(m_topLevel.size());
        m_topLevel.push_back(index);
    } else {
        row = m_items[std::size_t(parentIndex - 1)].childCount++;
        if (auto cached = m_childCache.find(parentIndex); cached != m_childCache.end())
            cached->second.push_back(index);
    }
    Item created{};
    created.key = key;
    created.text = text;
    created.parent = parentIndex;
    created.row = row;
    m_items.push_back(std::move(created));
    slot = Slot{slotHash(hash), std::uint32_t(index)};

    if (m_buildDepth == 0) {
        for (auto* observer : m_observers)
            observer->itemAdded(index);
    }
    return index;
}

const std::vector<int>& SceneTree::childList(int index) const
{
    if (index == 0)
        return m_topLevel;
    const Item& parentItem = item(index);
    auto cached = m_childCache.find(index);
    if (cached != m_childCache.end())
        return cached->second;
    // Creation order is pre-order: the subtree follows its root, and it ends at the first item whose
    // parent comes before the root.
    std::vector<int> children;
    children.reserve(std::size_t(parentItem.childCount));
    for (int i = index + 1; i <= count() && int(children.size()) < parentItem.childCount; ++i) {
        if (m_items[std::size_t(i - 1)].parent == index)
            children.push_back(i);
    }
    return m_childCache.emplace(index, std::move(children)).first->second;
}

const SceneTree::Slot* SceneTree::findSlot(std::uint64_t hash, QStringView key, PartId keyPart) const
{
    const std::uint32_t wanted = slotHash(hash);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = wanted & mask;; at = (at + 1) & mask) {
        const Slot& slot = m_slots[at];
        if (slot.index == 0)
            return &slot;
        if (slot.hash != wanted)
            continue;
        const PartId candidate = m_items[slot.index - 1].key;
        if (keyPart == 0 ? partEquals(candidate, key)
                         : candidate == keyPart ||
                               (m_parts[candidate].hash == hash && partEquals(candidate, part(keyPart))))
            return &slot;
    }
}

void SceneTree::growIndex()
{
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(std::max<std::size_t>(64, old.size() * 2), Slot{0, 0});
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.index == 0)
            continue;
        std::size_t at = slot.hash & mask;
        while (m_slots[at].index != 0)
            at = (at + 1) & mask;
        m_slots[at] = slot;
    }
}

int SceneTree::indexOfKey(QStringView key) const
{
    if (m_slots.empty())
        return 0;
    return int(findSlot(hashOf(key), key)->index);
}

const SceneTree::Item& SceneTree::item(int index) const
{
    if (index < 1 || index > int(m_items.size()))
        throw Failure("No item at index " + std::to_string(index));
    return m_items[std::size_t(index - 1)];
}

SceneTree::Item& SceneTree::item(int index)
{
    return const_cast<Item&>(std::as_const(*this).item(index));
}

QString SceneTree::key(int index) const
{
    return part(item(index).key);
}

QString SceneTree::text(int index) const
{
    return part(item(index).text);
}

SceneTree::PartId SceneTree::keyPart(int index) const
{
    return item(index).key;
}

SceneTree::PartId SceneTree::textPart(int index) const
{
    return item(index).text;
}

int SceneTree::parent(int index) const
{
    return item(index).parent;
}

const std::shared_ptr<SceneObject>& SceneTree::tag(int index) const
{
    return item(index).tag;
}

void SceneTree::setTag(int index, std::shared_ptr<SceneObject> tag)
{
    item(index).tag = std::move(tag);
}

NodeRef SceneTree::tagNode(int index) const
{
    return std::dynamic_pointer_cast<SceneNode>(tag(index));
}

FieldRef SceneTree::tagField(int index) const
{
    return std::dynamic_pointer_cast<SceneField>(tag(index));
}

std::optional<SceneTree::NamedAncestor> SceneTree::namedAncestor(int from, QStringView fieldName) const
{
    std::vector<QString> between; // nearest first
    for (int current = from; current != 0; current = parent(current)) {
        const NodeRef node = tagNode(current);
        if (!node)
            return std::nullopt;
        QString name = node->defName();
        if (name.isEmpty()) {
            between.push_back(text(current));
            continue;
        }
        QString path = name;
        for (auto unnamed = between.rbegin(); unnamed != between.rend(); ++unnamed)
            path.append(u'_').append(*unnamed);
        path.append(u'_').append(fieldName);
        return NamedAncestor{std::move(name), std::move(path)};
    }
    return std::nullopt;
}

bool SceneTree::checked(int index) const
{
    return item(index).checked;
}

void SceneTree::setChecked(int index, bool checked)
{
    Item& it = item(index);
    if (it.checked == checked)
        return;
    it.checked = checked;
    checkChanged(index);
}

void SceneTree::checkChanged(int index)
{
    if (m_batchDepth > 0) {
        m_batchFirst = m_batchFirst == 0 ? index : std::min(m_batchFirst, index);
        m_batchLast = std::max(m_batchLast, index);
        return;
    }
    for (auto* observer : m_observers)
        observer->checksChanged(index, index);
}

bool SceneTree::expanded(int index) const
{
    return item(index).expanded;
}

void SceneTree::setExpanded(int index, bool expanded)
{
    Item& it = item(index);
    if (it.expanded == expanded)
        return;
    it.expanded = expanded;
    for (auto* observer : m_observers)
        observer->expandedChanged(index);
}

bool SceneTree::selected(int index) const
{
    item(index);
    return m_selected == index;
}

void SceneTree::setSelected(int index, bool selected)
{
    item(index);
    const int now = selected ? index : (m_selected == index ? 0 : m_selected);
    if (now == m_selected)
        return;
    m_selected = now;
    for (auto* observer : m_observers)
        observer->selectionChanged(now);
}

int SceneTree::childCount(int index) const
{
    return index == 0 ? int(m_topLevel.size()) : item(index).childCount;
}

int SceneTree::child(int index, int row) const
{
    if (row < 0 || row >= childCount(index))
        throw Failure("No child at row " + std::to_string(row));
    return childList(index)[std::size_t(row)];
}

int SceneTree::row(int index) const
{
    return item(index).row;
}

void SceneTree::addObserver(SceneTreeObserver* observer)
{
    m_observers.push_back(observer);
}

void SceneTree::removeObserver(SceneTreeObserver* observer)
{
    std::erase(m_observers, observer);
}

void SceneTree::beginBuild()
{
    ++m_buildDepth;
}

void SceneTree::endBuild()
{
    if (m_buildDepth == 0 || --m_buildDepth > 0)
        return;
    for (auto* observer : m_observers)
        observer->buildFinished();
}

SceneTree::ChangeBatch::ChangeBatch(SceneTree& tree) : m_tree(tree)
{
    if (m_tree.m_batchDepth++ == 0)
        m_tree.m_batchFirst = m_tree.m_batchLast = 0;
}

SceneTree::ChangeBatch::~ChangeBatch()
{
    if (--m_tree.m_batchDepth > 0 || m_tree.m_batchFirst == 0)
        return;
    const int first = m_tree.m_batchFirst;
    const int last = m_tree.m_batchLast;
    m_tree.m_batchFirst = m_tree.m_batchLast = 0;
    for (auto* observer : m_tree.m_observers)
        observer->checksChanged(first, last);
}

} // namespace vendrel
