#include "TestPageExport.h"

#include "HostLibrary.h"
#include "WorldFileGate.h"
#include "XiteBrowser.h"
#include "core/FieldTypes.h"
#include "core/FileNames.h"
#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "scriptgen/ScriptGenerator.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace vendrel {

namespace {

// The page: plain HTML and JavaScript for the author to grow. The rows are built from the list of
// functions with DOM calls only, so no name from the world is ever read as markup.
const char pageTemplate[] = R"html(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Test page: @TITLE@</title>
<script src="@XITE@"></script>
<style>
body { margin: 0; font-family: sans-serif; }
h1 { font-size: 1.2rem; margin: 0.5rem 1rem; }
x3d-canvas { display: block; width: 100%; height: 50vh; }
table { border-collapse: collapse; margin: 0.5rem 1rem; }
td { border-top: 1px solid #ccc; padding: 0.25rem 0.5rem; vertical-align: top; }
td:first-child { font-family: monospace; }
input { width: 6em; }
input[name="arr"] { width: 16em; }
output { font-family: monospace; white-space: pre-wrap; }
.error { color: #b00; }
ol { margin: 0; padding-left: 1.5em; font-family: monospace; }
</style>
</head>
<body>
<h1>Test page: @TITLE@</h1>
<x3d-canvas src="@WORLD@" contextMenu="false"></x3d-canvas>
<table id="rows"></table>

<!-- What the generated script expects of its page: the browser, context, node, field, setupListeners(). -->
<script src="vendrel-host.js"></script>
<!-- Written by X3D Vendrel for the ticked items. -->
<script src="@SCRIPT@"></script>

<script>
"use strict";
// The functions of the script: kind, name, parameters and the field's type. The page's own names keep
// clear of the script's (Get..., Set_..., On...) and of the window's (valueOf, ...).
const functions = @FUNCTIONS@;

// A typed text as a value of a field of `type`: text for strings, "true" for true of booleans, else a number.
function textToValue(text, type) {
  if (type.endsWith("String")) return text;
  if (type.endsWith("Bool")) return text.trim() === "true";
  return Number(text);
}

// A list typed as JSON ("[1, 2]") or with commas ("1, 2").
function textToList(text, type) {
  const trimmed = text.trim();
  if (trimmed.startsWith("[")) return JSON.parse(trimmed);
  if (trimmed === "") return [];
  return trimmed.split(",").map(part => textToValue(part.trim(), type));
}

function argumentOf(input, type) {
  if (input.name === "arr") return textToList(input.value, type);
  if (input.name === "i") return Number(input.value);
  return textToValue(input.value, type);
}

// A value (or the value of a field) as short text.
function shownValue(value) {
  if (value && typeof value.getValue === "function") value = value.getValue();
  let text;
  try {
    text = JSON.stringify(value);
  } catch (error) {
    text = undefined;
  }
  if (text === undefined) text = String(value);
  return text.length > 300 ? text.slice(0, 300) + "..." : text;
}

// The texts of a value's parts, as a setter's boxes take them: x y z (angle), r g b (a), or the value.
function partTexts(value) {
  if (value === null || typeof value !== "object") return [String(value)];
  for (const names of [["x", "y", "z", "angle"], ["r", "g", "b", "a"], ["x", "y", "z", "w"], ["x", "y", "z"],
                       ["r", "g", "b"], ["x", "y"]]) {
    if (names.every(name => typeof value[name] === "number")) return names.map(name => String(value[name]));
  }
  return [String(value)];
}

// The field's current value as the texts of the setter's boxes: the list for "arr", element 0 for "i".
function currentTexts(f) {
  const value = browser.getExecutionContext().getNode(f.node).getField(f.field).getValue();
  if (f.params[0] === "arr") {
    const elements = Array.from(value);
    return [elements.every(element => typeof element === "string") ? JSON.stringify(elements)
                                                                  : elements.map(e => partTexts(e).join(" ")).join(", ")];
  }
  if (f.params[0] === "i") return ["0"].concat(value.length ? partTexts(value[0]) : []);
  return partTexts(value);
}

// Once the world is there, the setters' boxes show the values its fields hold.
const fills = [];
function fillFromWorld() {
  fills.forEach(fill => {
    try {
      fill();
    } catch (error) {
      // the box keeps its default: the field cannot be read
    }
  });
}

function defaultText(param, type) {
  if (param === "arr" || type.endsWith("String")) return "";
  if (type.endsWith("Bool")) return "true";
  return "0";
}

// Runs `action`, showing its error, if any, on the row.
function guarded(row, action) {
  return function () {
    try {
      row.error.textContent = "";
      return action.apply(this, arguments);
    } catch (error) {
      row.error.textContent = String(error);
    }
  };
}

function addRow(f) {
  const tr = document.getElementById("rows").insertRow();
  tr.className = f.kind;
  const [nameCell, inputCell, resultCell] = [tr.insertCell(), tr.insertCell(), tr.insertCell()];
  nameCell.append(f.name + "(" + f.params.join(", ") + ")");
  const row = { result: document.createElement("output"), error: document.createElement("div") };
  row.error.className = "error";
  resultCell.append(row.result, row.error);
  const call = document.createElement("button");
  call.textContent = "Call";
  if (f.kind === "setter") {
    const inputs = f.params.map(param => {
      const label = document.createElement("label");
      const input = document.createElement("input");
      input.name = param;
      input.value = defaultText(param, f.type);
      label.append(param + " ", input, " ");
      inputCell.append(label);
      return input;
    });
    if (f.node) {
      fills.push(() => {
        const texts = currentTexts(f);
        if (texts.length === inputs.length) inputs.forEach((input, i) => { input.value = texts[i]; });
      });
    }
    inputCell.append(call);
    call.addEventListener("click", guarded(row, () => {
      window[f.name](...inputs.map(input => argumentOf(input, f.type)));
      row.result.textContent = "sent";
    }));
  } else if (f.kind === "getter") {
    inputCell.append(call);
    call.addEventListener("click", guarded(row, () => {
      row.result.textContent = shownValue(window[f.name]());
    }));
  } else {
    // setupListeners() binds the listener by name once the world is up: replaced now, the row sees
    // every event before the script's own listener does.
    const log = document.createElement("ol");
    let count = 0;
    inputCell.append(log);
    const original = window[f.name];
    window[f.name] = guarded(row, function (value, time) {
      count += 1;
      row.result.textContent = count + (count === 1 ? " event" : " events");
      const line = document.createElement("li");
      line.textContent = shownValue(value);
      log.prepend(line);
      while (log.children.length > 5) log.lastChild.remove();
      return original.apply(this, arguments);
    });
  }
}

functions.forEach(addRow);
VendrelHost.x3d.addBrowserCallback("vendrel-test-page", X3D.X3DConstants.INITIALIZED_EVENT,
                                   () => setTimeout(fillFromWorld, 0));
if (browser.getExecutionContext()) fillFromWorld();
</script>
</body>
</html>
)html";

const char* kindWord(ScriptFunctions::Function::Kind kind)
{
    switch (kind) {
    case ScriptFunctions::Function::Kind::Setter:
        return "setter";
    case ScriptFunctions::Function::Kind::Getter:
        return "getter";
    case ScriptFunctions::Function::Kind::Listener:
        break;
    }
    return "listener";
}

/// `text` as a JavaScript expression inside a <script> element: JSON that never closes the element.
QString scriptJson(const QJsonArray& array)
{
    QString json = QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)).trimmed();
    json.replace(u'<', QStringLiteral("\\u003c"));
    json.replace(u'>', QStringLiteral("\\u003e"));
    json.replace(u'&', QStringLiteral("\\u0026"));
    json.replace(QChar(0x2028), QStringLiteral("\\u2028"));
    json.replace(QChar(0x2029), QStringLiteral("\\u2029"));
    return json;
}

/// An address as the value of an attribute in double quotes.
QString attribute(const QString& address)
{
    return address.toHtmlEscaped();
}

/// The address of a file below the page's folder: names may hold "#", "?", "%" or spaces.
QString relativeUrl(const QString& relativePath)
{
    return QString::fromUtf8(QUrl::toPercentEncoding(relativePath, "/"));
}

bool isWebAddress(const QString& address)
{
    const QString scheme = QUrl(address).scheme().toLower();
    return scheme == u"http" || scheme == u"https";
}

/// Writes files into the export and counts them.
class Writer
{
public:
    Writer(QString folder, TestPageExport::Result& result, QString* error)
        : m_folder(std::move(folder)), m_result(result), m_error(error)
    {}

    bool write(const QString& relative, QByteArrayView bytes)
    {
        const QString target = m_folder + u'/' + relative;
        QString reason;
        if (!QDir().mkpath(QFileInfo(target).absolutePath()))
            return fail(target, QStringLiteral("its folder cannot be made"));
        if (!FileWriter::write(target, bytes, &reason))
            return fail(target, reason);
        ++m_result.files;
        m_result.bytes += bytes.size();
        return true;
    }

    bool copy(const QString& source, const QString& relative)
    {
        QByteArray bytes;
        QString reason;
        if (!FileReader::read(source, bytes, &reason))
            return fail(m_folder + u'/' + relative,
                        QStringLiteral("cannot read ") + source + QStringLiteral(": ") + reason);
        return write(relative, bytes);
    }

    bool fail(const QString& target, const QString& reason)
    {
        if (m_error)
            *m_error = QStringLiteral("Couldn't write ") + target + QStringLiteral(": ") + reason;
        return false;
    }

private:
    QString m_folder;
    TestPageExport::Result& m_result;
    QString* m_error;
};

} // namespace

QString TestPageExport::cdnAddress()
{
    return QStringLiteral("https://cdn.jsdelivr.net/npm/x_ite@") + XiteBrowser::xiteVersion() +
           QStringLiteral("/dist/x_ite.min.js");
}

QByteArray TestPageExport::pageHtml(const std::vector<ScriptFunctions::Function>& functions,
                                    const QString& title, const QString& xite, const QString& world,
                                    const QString& script)
{
    QJsonArray rows;
    for (const ScriptFunctions::Function& function : functions) {
        rows.append(QJsonObject{
            {QStringLiteral("kind"), QString::fromLatin1(kindWord(function.kind))},
            {QStringLiteral("name"), function.name},
            {QStringLiteral("params"), QJsonArray::fromStringList(function.params)},
            {QStringLiteral("type"), function.fieldType ? fieldTypeName(function.fieldType) : QString()},
            {QStringLiteral("node"), function.nodePath},
            {QStringLiteral("field"), function.fieldName},
        });
    }
    QString page = QString::fromUtf8(pageTemplate);
    // The function list last: its text must not be searched for the other markers.
    page.replace(QStringLiteral("@TITLE@"), title.toHtmlEscaped());
    page.replace(QStringLiteral("@XITE@"), attribute(xite));
    page.replace(QStringLiteral("@WORLD@"), attribute(world));
    page.replace(QStringLiteral("@SCRIPT@"), attribute(script));
    page.replace(QStringLiteral("@FUNCTIONS@"), scriptJson(rows));
    return page.toUtf8();
}

bool TestPageExport::write(const SceneTree& tree, const Request& request, Result* result, QString* error)
{
    Result counts;
    const QString folder = QFileInfo(request.folder).absoluteFilePath();
    Writer writer(folder, counts, error);
    if (QFileInfo(folder).exists() && !QFileInfo(folder).isDir())
        return writer.fail(folder, QStringLiteral("it is a file, not a folder"));
    if (!QDir().mkpath(folder))
        return writer.fail(folder, QStringLiteral("the folder cannot be made"));

    const QString script = QFileInfo(ScriptGenerator::InitialFileName(request.address, folder)).fileName();
    if (script == HostLibrary::fileName)
        return writer.fail(folder + u'/' + script, QStringLiteral("it is the host library's own name"));
    if (!writer.write(script, ScriptGenerator::GenerateScriptUtf8(tree)))
        return false;

    const QString web = XiteBrowser::webFolder();
    if (web.isEmpty())
        return writer.fail(folder, QStringLiteral("the tool's copy of X_ITE and vendrel-host.js is missing"));
    if (!writer.copy(HostLibrary::path(), HostLibrary::fileName))
        return false;
    QString xite = cdnAddress();
    if (!request.cdn) {
        const QDir xiteFolder(web + QStringLiteral("/x_ite"));
        QDirIterator files(xiteFolder.path(), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString source = files.next();
            if (!writer.copy(source, QStringLiteral("x_ite/") + xiteFolder.relativeFilePath(source)))
                return false;
        }
        xite = QStringLiteral("x_ite/x_ite.min.js");
    }

    QString world = request.address;
    if (!isWebAddress(request.address)) {
        const QUrl url(request.address);
        const QString path = url.isLocalFile() ? url.toLocalFile() : request.address;
        const QString real = QFileInfo(path).canonicalFilePath();
        if (real.isEmpty())
            return writer.fail(folder,
                               QStringLiteral("the world ") + path + QStringLiteral(" cannot be read"));
        // The files keep their places relative to each other, below the deepest folder that holds them
        // all, so the world's relative addresses still work.
        const QString root = WorldFileGate::rootFor(real);
        QStringList files = {real};
        QString base = QFileInfo(real).absolutePath();
        for (const QString& served : request.worldFiles) {
            const QString file = QFileInfo(served).canonicalFilePath();
            if (file.isEmpty() || files.contains(file) || root.isEmpty() || !file.startsWith(root + u'/'))
                continue; // not below the root: the world could not have read it
            files.append(file);
            while (!file.startsWith(base + u'/') && base != root)
                base = QFileInfo(base).path();
        }
        for (const QString& file : files) {
            if (!writer.copy(file, worldFolder + u'/' + QDir(base).relativeFilePath(file)))
                return false;
        }
        world = relativeUrl(worldFolder + u'/' + QDir(base).relativeFilePath(real));
    }

    const std::vector<ScriptFunctions::Function> functions = ScriptFunctions::of(tree);
    counts.functions = int(functions.size());
    if (!writer.write(
            QStringLiteral("index.html"),
            pageHtml(functions, FileNames::FileNamePart(request.address), xite, world, relativeUrl(script))))
        return false;
    if (result)
        *result = counts;
    return true;
}

} // namespace vendrel
