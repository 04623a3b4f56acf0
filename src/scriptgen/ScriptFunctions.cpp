#include "ScriptFunctions.h"

#include "ScriptGenerator.h"
#include "ScriptItem.h"

#include <QRegularExpression>
#include <QSet>

namespace vendrel {

std::vector<ScriptFunctions::Function> ScriptFunctions::ofItem(const SceneTree& tree, int index)
{
    static const QRegularExpression declaration(QStringLiteral("^function (\\w+)\\(([^)]*)\\)"),
                                                QRegularExpression::MultilineOption);
    std::vector<Function> functions;
    const QString text = ScriptGenerator::ScriptOfItem(tree, index).text;
    for (auto match = declaration.globalMatch(text); match.hasNext();) {
        const auto found = match.next();
        Function function;
        function.name = found.captured(1);
        if (function.name.startsWith(u"Set_"))
            function.kind = Function::Kind::Setter;
        else if (function.name.startsWith(u"On"))
            function.kind = Function::Kind::Listener;
        else if (function.name.startsWith(u"Get"))
            function.kind = Function::Kind::Getter;
        else
            continue; // setupListeners and the like belong to the script, not to a row
        function.params = found.captured(2).split(u',', Qt::SkipEmptyParts);
        for (QString& param : function.params)
            param = param.trimmed();
        function.item = index;
        try {
            const ScriptItem::Address address = ScriptItem::addressOf(tree, index);
            function.nodePath = address.nodePath;
            function.fieldName = address.fieldName;
            function.fieldType = address.field ? address.field->getType() : 0;
        } catch (const std::exception&) {
            // the row works without them: no current value to offer
        }
        functions.push_back(std::move(function));
    }
    return functions;
}

std::vector<ScriptFunctions::Function> ScriptFunctions::of(const SceneTree& tree)
{
    std::vector<Function> functions;
    QSet<QString> names;
    for (int index = 1; index <= tree.count(); ++index) {
        if (!tree.checked(index))
            continue;
        for (Function& function : ofItem(tree, index)) {
            if (!names.contains(function.name)) {
                names.insert(function.name);
                functions.push_back(std::move(function));
            }
        }
    }
    return functions;
}

} // namespace vendrel
