#pragma once

#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

namespace vendrel {

class SimScene;
class SimNode;
class SimNodeArray;
class SimField;
class SimFaults;

/// Reads the compact scene description documented on SimScene into a scene.
class SimSceneParser
{
public:
    SimSceneParser(QStringView text, SimScene& scene);
    /// Throws Failure, naming the line, on the first thing it cannot read.
    void parse();

private:
    struct Token
    {
        QString text;
        bool quoted = false;
        int line = 0;
    };
    struct PendingUse
    {
        SimField* field = nullptr;     // an SFNode value, or
        SimNodeArray* array = nullptr; // an element of a node array
        std::size_t element = 0;
        QString name;
        int line = 0;
    };

    void tokenize(QStringView text);
    bool atEnd() const { return m_pos >= m_tokens.size(); }
    const Token& peek() const;
    Token next();
    bool peekIs(QStringView structural) const;
    bool peekIsFault() const;
    bool peekIsAccess() const;
    void expect(QStringView structural);
    [[noreturn]] void fail(const QString& message, int line) const;

    /// A node, NULL (null, empty use) or USE name (null, the name).
    SimNode* parseNodeValue(QString& use, int& line);
    SimNode* parseNode();
    void parseField(SimNode& node);
    void parseArray(SimNodeArray& array);
    void parseFaults(SimFaults& faults, const std::vector<QStringView>& ops, SimNodeArray* array);
    void parseFault(SimFaults& faults, const std::vector<QStringView>& ops, SimNodeArray* array);

    SimScene& m_scene;
    std::vector<Token> m_tokens;
    std::size_t m_pos = 0;
    std::vector<PendingUse> m_uses;
};

} // namespace vendrel
