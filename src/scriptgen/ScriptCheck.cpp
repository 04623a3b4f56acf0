#include "ScriptCheck.h"

#include "ScriptItem.h"
#include "ScriptTemplates.h"
#include "core/FieldTypes.h"
#include "scene/SceneTree.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>

namespace vendrel {

namespace {

using Finding = ScriptCheck::Finding;
using Kind = Finding::Kind;

// ECMAScript's reserved words, and the globals the file and its page define: a function of that name
// would replace the page's own.
const QStringList& reservedNames()
{
    static const QStringList names =
        QStringLiteral(
            "await break case catch class const continue debugger default delete do else enum export "
            "extends false finally for function if implements import in instanceof interface let new "
            "null package private protected public return static super switch this throw true try "
            "typeof var void while with yield arguments eval browser context node field "
            "listenersSetup setupListeners GetDOMValue setNodeEventIn setNodeEventInRGB "
            "setNodeEventInXY setNodeEventInXYZ setNodeEventInRot setNodeEventInArray")
            .split(u' ');
    return names;
}

/// Whether a name with this hash (qHash, seed 0) is reserved. Nearly no name is: a bit per hash's last
/// ten bits rules out most names with one test.
bool isReserved(QStringView name, std::uint32_t hash)
{
    static const std::bitset<1024> possible = [] {
        std::bitset<1024> bits;
        for (const QString& word : reservedNames())
            bits.set(qHash(word) & 1023);
        return bits;
    }();
    return possible.test(hash & 1023) && reservedNames().contains(name);
}

bool isIdentifierPart(char32_t c, bool first)
{
    if (c < 128)
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u'$' ||
               (!first && c >= u'0' && c <= u'9');
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Number_Letter:
        return true;
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Number_DecimalDigit:
    case QChar::Punctuation_Connector:
        return !first;
    default:
        return !first && (c == 0x200C || c == 0x200D); // the zero-width (non-)joiner
    }
}

bool isIdentifier(QStringView name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const bool first = i == 0;
        char32_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            ++i;
            c = QChar::surrogateToUcs4(char16_t(c), name[i].unicode());
        }
        if (!isIdentifierPart(c, first))
            return false;
    }
    return !name.isEmpty();
}

/// Whether the text, put between double quotes, would end the string literal or the line early.
bool breaksLiteral(QStringView text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c == u'"' || c == u'\\' || c == u'\n' || c == u'\r'; });
}

QString whatMakesNothing(QStringView key)
{
    if (key.startsWith(u"Root_"))
        return QStringLiteral("a node item makes no function");
    if (key.startsWith(u'f'))
        return QStringLiteral("a field item makes no function; its node has no DEF name, and with \"All\" "
                              "ticked it gets Get_ and Set_ items");
    return QStringLiteral("the item makes no function");
}

/// What a name the file defines stands for.
enum class NameKind : std::uint32_t
{
    Observer,
    Listener,
    Getter,
    Setter,
};

/// Sorts the entries by their upper 32 bits and keeps the order of equal ones: a radix sort, a byte at
/// a time, several times quicker than comparisons on a hundred thousand entries.
void sortByHash(std::vector<std::uint64_t>& entries)
{
    std::vector<std::uint64_t> buffer(entries.size());
    for (int shift = 32; shift < 64; shift += 8) {
        std::array<std::size_t, 257> start{};
        for (const std::uint64_t entry : entries)
            ++start[((entry >> shift) & 0xff) + 1];
        for (std::size_t digit = 1; digit < start.size(); ++digit)
            start[digit] += start[digit - 1];
        for (const std::uint64_t entry : entries)
            buffer[start[(entry >> shift) & 0xff]++] = entry;
        entries.swap(buffer);
    }
}

QStringView kindOf(NameKind kind)
{
    return kind == NameKind::Observer ? u"variable" : u"function";
}

class Checker
{
public:
    explicit Checker(const SceneTree& tree) : m_tree(tree) {}

    ScriptCheck::Result run()
    {
        const int count = m_tree.count();
        int ticked = 0;
        for (int index = 1; index <= count; ++index)
            ticked += m_tree.checked(index) ? 1 : 0;
        m_defined.reserve(std::size_t(ticked) * 3 / 2); // most items define one name, a listener two
        for (int index = 1; index <= count; ++index) {
            if (!m_tree.checked(index))
                continue;
            try {
                checkItem(index);
            } catch (const Failure& failure) {
                add(Kind::NoFunction, index, QString::fromUtf8(failure.what()));
            }
        }
        findDuplicateNames();
        findAmbiguousPaths();
        std::stable_sort(m_result.findings.begin(), m_result.findings.end(),
                         [](const Finding& a, const Finding& b) { return a.item < b.item; });
        return std::move(m_result);
    }

private:
    void add(Kind kind, int index, QString detail)
    {
        m_result.findings.push_back({kind, index, std::move(detail)});
    }

    void checkItem(int index)
    {
        const auto text = m_tree.text(index);
        const ScriptItem::Markers markers = ScriptItem::markersOf(text);
        if (!markers.any()) {
            add(Kind::NoFunction, index, whatMakesNothing(m_tree.key(index)));
            return;
        }
        const ScriptItem::Address address = ScriptItem::addressOf(m_tree, index, m_node);
        const QString& nodePath = address.nodePath;
        const QString& fieldName = address.fieldName;
        for (const QString* quoted : {&nodePath, &fieldName, &address.domPath}) {
            if (breaksLiteral(*quoted)) {
                add(Kind::InvalidName, index,
                    u"the name " % *quoted % u" ends the string literal it is written in");
                break;
            }
        }
        const int access = accessTypeOf(m_tree.parent(index), address);

        QString& name = m_name; // a scratch buffer for the names of this item
        if (markers.listener) {
            ++m_result.functions;
            ScriptItem::observerName(name, nodePath, fieldName);
            define(index, NameKind::Observer, name);
            ScriptItem::listenerName(name, nodePath, fieldName);
            define(index, NameKind::Listener, name);
        }
        if (markers.getter) {
            ++m_result.functions;
            ScriptItem::getterName(name, nodePath, fieldName);
            if (access == InputOnly)
                add(Kind::NeverWorks, index, name % u" reads an inputOnly field");
            define(index, NameKind::Getter, name);
            if (!address.domPath.isEmpty() && address.field->getType() != SFColor)
                m_domGetters.push_back({index, fieldName, address.domPath});
        }
        if (markers.setter) {
            if (!ScriptItem::mayHaveSetter(text)) {
                add(Kind::NoFunction, index,
                    QStringLiteral("no setter for items whose text contains \"rientation\""));
                return;
            }
            const int type = address.field->getType();
            const auto setter = ScriptTemplates::SetterFor(type);
            if (!setter) {
                const QString typeName = fieldTypeName(type);
                add(Kind::NoFunction, index,
                    u"no setter for " % (typeName.isEmpty() ? QStringLiteral("fields of an unknown type")
                                                            : typeName % u" fields"));
                return;
            }
            ++m_result.functions;
            ScriptTemplates::MakeSetterName(name, nodePath, fieldName);
            if (access == OutputOnly)
                add(Kind::NeverWorks, index, name % u" writes an outputOnly field");
            else if (access == InputOnly && ScriptTemplates::IsElementSetter(setter))
                add(Kind::NeverWorks, index,
                    name % u" reads the element it replaces from an inputOnly field");
            define(index, NameKind::Setter, name);
        }
    }

    /// The access type of a field of the node of item `nodeItem`, by the field's name; -1 when it
    /// cannot be read. A node's items follow one another: its field list is read once for them.
    int accessTypeOf(int nodeItem, const ScriptItem::Address& address)
    {
        if (nodeItem != m_fieldsOf) {
            m_fieldsOf = nodeItem;
            m_fields.clear();
            try {
                const int count = address.node->fieldCount();
                for (int j = 0; j < count; ++j)
                    m_fields.push_back(address.node->fieldInfo(j));
            } catch (const Failure&) {
                // the fields read so far count
            }
        }
        for (const FieldInfo& info : m_fields) {
            if (info.name == address.fieldName)
                return info.accessType;
        }
        return -1;
    }

    /// Records a name the file defines; a second definition, a reserved name or one that is no
    /// identifier is a finding of the item.
    void define(int index, NameKind kind, const QString& name)
    {
        const auto hash = std::uint32_t(qHash(name));
        if (!isIdentifier(name))
            add(Kind::InvalidName, index, kindOf(kind) % u' ' % name % u" is not a JavaScript identifier");
        else if (isReserved(name, hash))
            add(Kind::ReservedName, index,
                kindOf(kind) % u' ' % name % u" is a name JavaScript or the page keeps");
        m_defined.push_back(std::uint64_t(hash) << 32 | std::uint64_t(index) << 2 | std::uint64_t(kind));
    }

    /// Reports every name defined again, at the item that defines it again. The names' hashes are sorted
    /// rather than looked up one by one: a table of a hundred thousand names misses the cache at every
    /// look-up. Names whose hashes agree are made again from their items and compared.
    void findDuplicateNames()
    {
        sortByHash(m_defined);
        std::vector<std::pair<QString, std::uint32_t>> names; // one hash's names, in item order
        for (auto run = m_defined.begin(); run != m_defined.end();) {
            const std::uint64_t hash = *run >> 32;
            const auto runEnd = std::find_if(run, m_defined.end(),
                                             [hash](std::uint64_t entry) { return entry >> 32 != hash; });
            if (runEnd - run > 1) {
                names.clear();
                for (auto entry = run; entry != runEnd; ++entry) {
                    const auto slot = std::uint32_t(*entry);
                    const int index = int(slot >> 2);
                    const auto kind = NameKind(slot & 3);
                    QString name = nameOf(index, kind);
                    const auto first = std::find_if(names.begin(), names.end(), [&name](const auto& earlier) {
                        return earlier.first == name;
                    });
                    if (first != names.end())
                        add(Kind::DuplicateName, index,
                            kindOf(kind) % u' ' % name % u" is also defined by " %
                                m_tree.text(int(first->second >> 2)));
                    names.emplace_back(std::move(name), slot);
                }
            }
            run = runEnd;
        }
    }

    QString nameOf(int index, NameKind kind) const
    {
        try {
            const ScriptItem::Address address = ScriptItem::addressOf(m_tree, index);
            switch (kind) {
            case NameKind::Observer:
                return ScriptItem::observerName(address.nodePath, address.fieldName);
            case NameKind::Listener:
                return ScriptItem::listenerName(address.nodePath, address.fieldName);
            case NameKind::Getter:
                return ScriptItem::getterName(address.nodePath, address.fieldName);
            case NameKind::Setter:
                break;
            }
            return ScriptTemplates::MakeSetterName(address.nodePath, address.fieldName);
        } catch (const Failure&) {
            return {};
        }
    }

    /// The index of the nearest named node item at or above `item` (0: none), as the generator's
    /// ancestor climb finds it; remembered per item.
    int nearestNamed(int item)
    {
        if (m_nearest.empty())
            m_nearest.assign(std::size_t(m_tree.count()) + 1, -1);
        m_climbed.clear();
        int found = 0;
        for (int at = item; at != 0; at = m_tree.parent(at)) {
            if (m_nearest[std::size_t(at)] >= 0) {
                found = m_nearest[std::size_t(at)];
                break;
            }
            m_climbed.push_back(at);
            const NodeRef node = m_tree.tagNode(at);
            if (!node || !node->defName().isEmpty()) {
                found = node ? at : 0;
                break;
            }
        }
        for (const int at : m_climbed)
            m_nearest[std::size_t(at)] = found;
        return found;
    }

    /// A ticked getter of an unnamed node reads its field through the DEF name of the nearest named
    /// ancestor and the field name; every unnamed node below that ancestor (up to the next named one)
    /// with a field of that name answers to the same path. Those nodes are all in the ancestor's
    /// subtree, which follows its item in index order.
    void findAmbiguousPaths()
    {
        if (m_domGetters.empty())
            return;
        for (DomGetter& getter : m_domGetters) {
            try {
                getter.ancestor = nearestNamed(m_tree.parent(getter.item));
            } catch (const Failure&) {
                getter.ancestor = 0; // a getter whose ancestors cannot be read is not counted
            }
        }
        // The getters below one ancestor together: each subtree is read once.
        std::vector<const DomGetter*> byAncestor;
        for (const DomGetter& getter : m_domGetters) {
            if (getter.ancestor > 0)
                byAncestor.push_back(&getter);
        }
        std::stable_sort(byAncestor.begin(), byAncestor.end(),
                         [](const DomGetter* a, const DomGetter* b) { return a->ancestor < b->ancestor; });

        const int count = m_tree.count();
        std::vector<std::pair<const QString*, quintptr>> found; // field name, node
        std::vector<quintptr> nodes;
        for (auto group = byAncestor.begin(); group != byAncestor.end();) {
            const int ancestor = (*group)->ancestor;
            const auto groupEnd = std::find_if(group, byAncestor.end(), [ancestor](const DomGetter* getter) {
                return getter->ancestor != ancestor;
            });
            found.clear();
            for (int index = ancestor + 1; index <= count && m_tree.parent(index) >= ancestor; ++index) {
                // Every access item of a field counts: the nodes are told apart by their identity.
                try {
                    const FieldRef field = m_tree.tagField(index);
                    if (!field)
                        continue;
                    const QString fieldName = field->getName();
                    for (auto getter = group; getter != groupEnd; ++getter) {
                        const QString& name = (*getter)->fieldName;
                        if (fieldName != name)
                            continue;
                        const int parent = m_tree.parent(index);
                        if (parent != ancestor && nearestNamed(parent) == ancestor)
                            found.emplace_back(&name, m_tree.tagNode(parent)->identity());
                        break;
                    }
                } catch (const Failure&) {
                    // an item that cannot be read matches nothing
                }
            }
            for (auto getter = group; getter != groupEnd; ++getter) {
                nodes.clear();
                for (const auto& [name, node] : found) {
                    if (*name == (*getter)->fieldName)
                        nodes.push_back(node);
                }
                std::sort(nodes.begin(), nodes.end());
                const auto distinct = std::unique(nodes.begin(), nodes.end()) - nodes.begin();
                if (distinct > 1)
                    add(Kind::AmbiguousPath, (*getter)->item,
                        u"GetDOMValue(\"" % (*getter)->path % u"\") matches " % QString::number(distinct) %
                            u" nodes");
            }
            group = groupEnd;
        }
    }

    struct DomGetter
    {
        int item;
        QString fieldName;
        QString path;
        int ancestor = 0;
    };

    const SceneTree& m_tree;
    ScriptCheck::Result m_result;
    /// Per name defined: its hash, the item by index and the NameKind, in 32, 30 and 2 bits.
    std::vector<std::uint64_t> m_defined;
    std::vector<DomGetter> m_domGetters;
    QString m_name;
    ScriptItem::NodeCache m_node;
    int m_fieldsOf = 0; ///< the node item whose fields m_fields holds
    std::vector<FieldInfo> m_fields;
    std::vector<int> m_nearest;
    std::vector<int> m_climbed;
};

} // namespace

ScriptCheck::Result ScriptCheck::run(const SceneTree& tree)
{
    return Checker(tree).run();
}

QString ScriptCheck::kindWord(Finding::Kind kind)
{
    switch (kind) {
    case Kind::DuplicateName:
        return QStringLiteral("duplicate-name");
    case Kind::InvalidName:
        return QStringLiteral("invalid-name");
    case Kind::ReservedName:
        return QStringLiteral("reserved-name");
    case Kind::AmbiguousPath:
        return QStringLiteral("ambiguous-path");
    case Kind::NeverWorks:
        return QStringLiteral("never-works");
    case Kind::NoFunction:
        break;
    }
    return QStringLiteral("no-function");
}

QString ScriptCheck::describe(const SceneTree& tree, const Finding& finding)
{
    return kindWord(finding.kind) % u": " % tree.text(finding.item) % u": " % finding.detail;
}

} // namespace vendrel
