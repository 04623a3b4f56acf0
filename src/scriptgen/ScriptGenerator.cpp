#include "ScriptGenerator.h"

#include "ScriptItem.h"
#include "ScriptTemplates.h"
#include "core/FieldTypes.h"
#include "core/FileDialog.h"
#include "core/FileNames.h"
#include "core/FileWriter.h"
#include "scene/SceneTree.h"

#include <QDir>

namespace vendrel {

namespace {

#define CRLF u"\r\n"

// The frame of setupListeners(): it retries every 200 ms until the page's browser has a context.
constexpr QStringView listenerSetupOpening = u"var listenersSetup;" CRLF                          //
                                             u"function setupListeners()" CRLF                    //
                                             u"{" CRLF                                            //
                                             u"    context = browser.getExecutionContext();" CRLF //
                                             u"    if (context)" CRLF                             //
                                             u"    {" CRLF                                        //
                                             u"        if (!listenersSetup)" CRLF                 //
                                             u"        {" CRLF                                    //
                                             u"            listenersSetup = true;" CRLF;
constexpr QStringView listenerSetupClosing = u"        }" CRLF                                    //
                                             u"    }" CRLF                                        //
                                             u"    else" CRLF                                     //
                                             u"        setTimeout('setupListeners()', 200);" CRLF //
                                             u"}" CRLF                                            //
                                                 CRLF;

/// The texts one run builds, in the order the file holds them.
struct ScriptTexts
{
    TextChunks declarations;
    TextChunks setters;
    TextChunks getters;
    TextChunks listenerSetup;
    TextChunks listeners;
    bool hasListener = false;
    /// When set, gets why a "Set_" item gives no setter.
    QString* noSetter = nullptr;
};

/// Appends the functions of one ticked item. Throws Failure where the item's processing stops; what
/// was appended before stays.
void addItem(const SceneTree& tree, int index, ScriptTexts& texts)
{
    const QString text = tree.text(index);
    const ScriptItem::Markers markers = ScriptItem::markersOf(text);
    if (!markers.any())
        return;
    const ScriptItem::Address address = ScriptItem::addressOf(tree, index);
    const FieldRef& field = address.field;
    const QString& nodePath = address.nodePath;

    if (markers.listener) {
        texts.hasListener = true;
        const QString name = field->getName();
        const QString observer = ScriptItem::observerName(nodePath, name);
        const QString listener = ScriptItem::listenerName(nodePath, name);
        texts.declarations.append(u"var " % observer % u" = null;" CRLF);
        texts.listeners.append(ScriptTemplates::MakeListenerFunction(listener, observer));
        texts.listeners.append(CRLF);
        texts.listenerSetup.append(ScriptTemplates::MakeListenerSetup(nodePath, name, observer, listener));
    }
    if (markers.getter) {
        const int type = field->getType();
        const QString name = field->getName();
        const QString getter = ScriptItem::getterName(nodePath, name);
        // An SFColor getter hands out the field object itself.
        if (type == SFColor)
            texts.getters.append(ScriptTemplates::MakeFieldGetter(getter, nodePath, name));
        else
            texts.getters.append(ScriptTemplates::MakeGetter(getter, nodePath, address.domPath, name));
        texts.getters.append(CRLF);
    }
    if (markers.setter && ScriptItem::mayHaveSetter(text)) {
        const int type = field->getType();
        const QString name = field->getName();
        if (const auto setter = ScriptTemplates::SetterFor(type))
            texts.setters.append(setter(nodePath, name));
        else if (texts.noSetter)
            *texts.noSetter =
                u"no setter for " % (type == UnknownField ? QStringLiteral("fields of unknown type")
                                                          : fieldTypeName(type) % u" fields");
    } else if (markers.setter && texts.noSetter) {
        *texts.noSetter = QStringLiteral("no setter for items whose text contains \"rientation\"");
    }
}

} // namespace

ScriptGenerator::ScriptGenerator(SceneTree& tree) : m_tree(tree) {}

TextChunks ScriptGenerator::GenerateScriptChunks(const SceneTree& tree, QDeadlineTimer deadline)
{
    ScriptTexts texts;
    texts.listenerSetup.append(listenerSetupOpening);
    const int count = tree.count();
    for (int index = 1; index <= count; ++index) {
        if (index % 256 == 0 && deadline.hasExpired())
            throw Failure("The script was not done in time");
        if (!tree.checked(index))
            continue;
        try {
            addItem(tree, index, texts);
        } catch (const Failure&) {
            // A failing item is left out from where it failed; the others still count.
        }
    }

    TextChunks script;
    script.append(u"// Generated by X3DVDL" CRLF);
    if (texts.hasListener) {
        texts.declarations.append(CRLF);
        texts.listenerSetup.append(listenerSetupClosing);
        script.splice(std::move(texts.declarations));
        script.splice(std::move(texts.setters));
        script.splice(std::move(texts.getters));
        script.splice(std::move(texts.listenerSetup));
        script.splice(std::move(texts.listeners));
    } else {
        script.splice(std::move(texts.setters));
        script.splice(std::move(texts.getters));
    }
    return script;
}

ScriptGenerator::ItemScript ScriptGenerator::ScriptOfItem(const SceneTree& tree, int index)
{
    ScriptTexts texts;
    ItemScript script;
    texts.noSetter = &script.missing;
    try {
        addItem(tree, index, texts);
    } catch (const Failure& failure) {
        script.missing = u"nothing more: " % QString::fromUtf8(failure.what());
    }
    // In the order the file holds them.
    for (TextChunks* part :
         {&texts.declarations, &texts.setters, &texts.getters, &texts.listenerSetup, &texts.listeners})
        script.text += part->toString();
    return script;
}

QByteArray ScriptGenerator::GenerateScriptUtf8(const SceneTree& tree)
{
    return GenerateScriptChunks(tree).toUtf8();
}

QString ScriptGenerator::GenerateScript(const SceneTree& tree)
{
    return GenerateScriptChunks(tree).toString();
}

QString ScriptGenerator::InitialFileName(const QString& addressText, const QString& currentDirectory)
{
    if (addressText.startsWith(u"http")) {
        const QString name = FileNames::StripExtension(FileNames::FileNamePart(addressText)) % u".js";
        return QDir(currentDirectory).filePath(name);
    }
    return FileNames::StripExtension(addressText) % u".js";
}

QString ScriptGenerator::InitialFileName(const QString& addressText)
{
    return InitialFileName(addressText, QDir::currentPath());
}

bool ScriptGenerator::CommandGo_Click(const QString& addressText, FileDialog& dialog, QString* error)
{
    const TextChunks script = GenerateScriptChunks(m_tree);

    // Flag 4096 asks for a file that exists: a save dialog may ignore it.
    const std::optional<QString> fileName =
        dialog.showSave(FileDialogRequest::make(QStringLiteral("JavaScript (*.js)|*.js|"),
                                                QStringLiteral(".js"), InitialFileName(addressText), 4096));
    m_fileName = fileName.value_or(QString());
    if (!fileName)
        return false;

    QString reason;
    if (FileWriter::write(*fileName, script.pieces(), &reason)) {
        return true;
    }
    if (error)
        *error = u"Couldn't write " % *fileName % u": " % reason;
    return false;
}

#undef CRLF

} // namespace vendrel
