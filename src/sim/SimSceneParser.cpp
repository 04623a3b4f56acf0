#include "SimSceneParser.h"

#include "core/FieldTypes.h"
#include "SimScene.h"

namespace vendrel {

namespace {

const std::vector<QStringView> nodeOps = {u"typeName", u"defName", u"fieldCount", u"fieldInfo", u"getField"};
const std::vector<QStringView> fieldOps = {u"info", u"get", u"getName", u"getType", u"value"};
const std::vector<QStringView> arrayOps = {u"length", u"item"};
const std::vector<QStringView> sceneOps = {u"rootNodes"};

bool isStructural(QChar c)
{
    return c == u'{' || c == u'}' || c == u'[' || c == u']';
}

int shortAccessCode(QStringView word)
{
    if (word == u"ii")
        return InitializeOnly;
    if (word == u"in")
        return InputOnly;
    if (word == u"out")
        return OutputOnly;
    if (word == u"io")
        return InputOutput;
    return accessTypeCode(word);
}

} // namespace

SimSceneParser::SimSceneParser(QStringView text, SimScene& scene) : m_scene(scene)
{
    tokenize(text);
}

void SimSceneParser::tokenize(QStringView text)
{
    int line = 1;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const QChar c = text[i];
        if (c == u'\n') {
            ++line;
            ++i;
        } else if (c.isSpace() || c == u',' || c == u';') {
            ++i;
        } else if (c == u'#') {
            while (i < n && text[i] != u'\n')
                ++i;
        } else if (isStructural(c)) {
            m_tokens.push_back({QString(c), false, line});
            ++i;
        } else if (c == u'"') {
            QString value;
            const int start = line;
            ++i;
            while (i < n && text[i] != u'"') {
                if (text[i] == u'\\' && i + 1 < n)
                    ++i;
                if (text[i] == u'\n')
                    ++line;
                value += text[i++];
            }
            if (i >= n)
                fail(QStringLiteral("a quoted name has no closing quote"), start);
            ++i;
            m_tokens.push_back({value, true, start});
        } else {
            const qsizetype start = i;
            while (i < n && !text[i].isSpace() && !isStructural(text[i]) && text[i] != u',' &&
                   text[i] != u';' && text[i] != u'#' && text[i] != u'"')
                ++i;
            m_tokens.push_back({text.mid(start, i - start).toString(), false, line});
        }
    }
}

const SimSceneParser::Token& SimSceneParser::peek() const
{
    static const Token end{QString(), false, 0};
    return atEnd() ? end : m_tokens[m_pos];
}

SimSceneParser::Token SimSceneParser::next()
{
    if (atEnd())
        fail(QStringLiteral("the description ends too early"), m_tokens.empty() ? 1 : m_tokens.back().line);
    return m_tokens[m_pos++];
}

bool SimSceneParser::peekIs(QStringView structural) const
{
    return !atEnd() && !peek().quoted && peek().text == structural;
}

bool SimSceneParser::peekIsFault() const
{
    return !atEnd() && !peek().quoted && peek().text.startsWith(u'!');
}

bool SimSceneParser::peekIsAccess() const
{
    return !atEnd() && !peek().quoted && shortAccessCode(peek().text) >= 0;
}

void SimSceneParser::expect(QStringView structural)
{
    const Token token = next();
    if (token.quoted || token.text != structural)
        fail(QStringLiteral("expected \"%1\" but found \"%2\"").arg(structural.toString(), token.text),
             token.line);
}

void SimSceneParser::fail(const QString& message, int line) const
{
    throw Failure(QStringLiteral("scene description, line %1: %2").arg(line).arg(message).toStdString());
}

void SimSceneParser::parse()
{
    while (peekIsFault()) {
        if (peek().text.startsWith(u"!rootNodes"))
            parseFault(m_scene.faults(), sceneOps, nullptr);
        else
            parseFault(m_scene.roots().faults(), arrayOps, &m_scene.roots());
    }
    while (!atEnd()) {
        QString use;
        int line = 0;
        SimNode* node = parseNodeValue(use, line);
        if (!use.isEmpty())
            m_uses.push_back({nullptr, &m_scene.roots(), m_scene.roots().elements().size(), use, line});
        m_scene.addRoot(node);
    }
    for (const PendingUse& use : m_uses) {
        SimNode* node = m_scene.findByDef(use.name);
        if (!node)
            fail(QStringLiteral("USE of \"%1\", which no node has as DEF name").arg(use.name), use.line);
        if (use.field) {
            use.field->setNode(node);
        } else {
            // Elements are only appended while parsing, so the placeholder is still where it was put.
            const_cast<std::vector<SimNode*>&>(use.array->elements())[use.element] = node;
        }
    }
}

SimNode* SimSceneParser::parseNodeValue(QString& use, int& line)
{
    const Token& first = peek();
    line = first.line;
    if (!first.quoted && first.text == u"NULL") {
        next();
        return nullptr;
    }
    if (!first.quoted && first.text == u"USE") {
        next();
        use = next().text;
        return nullptr;
    }
    return parseNode();
}

SimNode* SimSceneParser::parseNode()
{
    const Token type = next();
    if (!type.quoted && (isStructural(type.text.front()) || type.text.startsWith(u'!')))
        fail(QStringLiteral("expected a node type but found \"%1\"").arg(type.text), type.line);
    QString def;
    if (!peekIs(u"{") && !peekIsFault())
        def = next().text;
    SimNode& node = m_scene.addNode(type.text, def);
    parseFaults(node.faults(), nodeOps, nullptr);
    expect(u"{");
    while (!peekIs(u"}"))
        parseField(node);
    expect(u"}");
    return &node;
}

void SimSceneParser::parseField(SimNode& node)
{
    const Token access = next();
    const int accessCode = access.quoted ? -1 : shortAccessCode(access.text);
    if (accessCode < 0)
        fail(QStringLiteral("expected an access type (ii, in, out, io) but found \"%1\"").arg(access.text),
             access.line);
    const Token type = next();
    const Token name = next();
    SimField& field = node.addField(accessCode, fieldTypeCode(type.text), name.text);
    parseFaults(field.faults(), fieldOps, nullptr);

    if (peekIs(u"[")) {
        parseArray(field.nodes());
    } else if (!atEnd() && !peekIs(u"}") && !peekIsAccess()) {
        QString use;
        int line = 0;
        SimNode* value = parseNodeValue(use, line);
        if (!use.isEmpty())
            m_uses.push_back({&field, nullptr, 0, use, line});
        field.setNode(value);
    }
}

void SimSceneParser::parseArray(SimNodeArray& array)
{
    expect(u"[");
    while (!peekIs(u"]")) {
        if (atEnd())
            fail(QStringLiteral("a node array has no closing \"]\""), m_tokens.back().line);
        QString use;
        int line = 0;
        SimNode* element = parseNodeValue(use, line);
        if (!use.isEmpty())
            m_uses.push_back({nullptr, &array, array.elements().size(), use, line});
        array.append(element);
    }
    expect(u"]");
    parseFaults(array.faults(), arrayOps, &array);
}

void SimSceneParser::parseFaults(SimFaults& faults, const std::vector<QStringView>& ops, SimNodeArray* array)
{
    while (peekIsFault())
        parseFault(faults, ops, array);
}

void SimSceneParser::parseFault(SimFaults& faults, const std::vector<QStringView>& ops, SimNodeArray* array)
{
    {
        const Token token = next();
        QStringView spec = QStringView(token.text).mid(1);
        if (array && spec.startsWith(u"item=")) {
            bool ok = false;
            const int element = spec.mid(5).toInt(&ok);
            if (!ok || element < 0)
                fail(QStringLiteral("\"%1\" needs an element number").arg(token.text), token.line);
            array->failElement(element);
            return;
        }
        int nth = 0;
        const qsizetype at = spec.indexOf(u'@');
        if (at >= 0) {
            bool ok = false;
            nth = spec.mid(at + 1).toInt(&ok);
            if (!ok || nth < 1)
                fail(QStringLiteral("\"%1\" needs a call number from 1").arg(token.text), token.line);
            spec = spec.left(at);
        }
        if (std::find(ops.begin(), ops.end(), spec) == ops.end())
            fail(QStringLiteral("\"%1\" is no fault of this kind of object").arg(token.text), token.line);
        if (nth == 0)
            faults.failAlways(spec.toString());
        else
            faults.failOnCall(spec.toString(), nth);
    }
}

} // namespace vendrel
