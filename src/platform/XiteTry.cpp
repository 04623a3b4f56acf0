#include "XiteTry.h"

#include "HostLibrary.h"
#include "XiteBrowser.h"
#include "core/FileReader.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace vendrel {

namespace {

QString bounded(const QJsonValue& value)
{
    return value.toString().left(XiteTry::maxText);
}

/// A count or a time of the page as a whole number, whatever number it sent.
qint64 wholeNumber(const QJsonValue& value)
{
    const double number = value.toDouble();
    return number >= 0 && number < 1e15 ? qint64(number) : 0;
}

QStringList boundedList(const QJsonValue& value)
{
    QStringList list;
    const QJsonArray array = value.toArray();
    for (qsizetype i = 0; i < array.size() && i < 16; ++i)
        list.append(bounded(array.at(i)));
    return list;
}

/// The page's JSON text, or null when it sent something else or too much.
QJsonDocument parsed(const QVariant& reply)
{
    if (reply.typeId() != QMetaType::QString)
        return {};
    const QString text = reply.toString();
    if (text.size() > XiteTry::maxAnswer)
        return {};
    return QJsonDocument::fromJson(text.toUtf8());
}

XiteTry::Answer fromObject(const QJsonObject& object)
{
    XiteTry::Answer answer;
    answer.ok = object.value(u"ok").toBool();
    answer.text = bounded(object.value(u"text"));
    answer.error = bounded(object.value(u"error"));
    answer.fill = boundedList(object.value(u"fill"));
    answer.first = boundedList(object.value(u"first"));
    if (!answer.ok && answer.error.isEmpty())
        answer.error = QStringLiteral("The page gave no answer");
    return answer;
}

XiteTry::Answer failure(const QString& error)
{
    XiteTry::Answer answer;
    answer.error = error;
    return answer;
}

QString compact(const QJsonValue& value)
{
    // JSON is a JavaScript expression: the page gets the data as a literal, with no code of the user's.
    return QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact))
        .mid(1)
        .chopped(1);
}

} // namespace

XiteTry::XiteTry(std::function<QWebEnginePage*()> page, QObject* parent)
    : QObject(parent), m_page(std::move(page))
{}

void XiteTry::run(const QString& js, std::function<void(const QVariant&)> done)
{
    QWebEnginePage* page = m_page ? m_page() : nullptr;
    if (!page) {
        done(QVariant());
        return;
    }
    page->runJavaScript(js, QWebEngineScript::MainWorld, std::move(done));
}

void XiteTry::install(const QString& script, const QStringList& listeners, Done done)
{
    if (m_helper.isEmpty()) {
        QByteArray host, helper;
        const QString folder = XiteBrowser::webFolder();
        if (!FileReader::read(HostLibrary::path(), host, nullptr) ||
            !FileReader::read(folder + QStringLiteral("/vendrel-try.js"), helper, nullptr)) {
            done(failure(QStringLiteral("The page files vendrel-host.js and vendrel-try.js are missing")));
            return;
        }
        m_helper = QString::fromUtf8(host) + QStringLiteral("\n;\n") + QString::fromUtf8(helper) +
                   QStringLiteral("\n;\n");
    }
    const QJsonObject spec{{QStringLiteral("script"), script},
                           {QStringLiteral("listeners"), QJsonArray::fromStringList(listeners)}};
    run(m_helper + QStringLiteral("VendrelTry.install(") + compact(spec) + u')',
        [done](const QVariant& reply) { done(answerOf(reply)); });
}

void XiteTry::call(const QString& name, const QJsonArray& args, Done done)
{
    const QJsonObject spec{{QStringLiteral("name"), name}, {QStringLiteral("args"), args}};
    run(QStringLiteral("VendrelTry.call(") + compact(spec) + u')',
        [done](const QVariant& reply) { done(answerOf(reply)); });
}

void XiteTry::read(const QList<FieldRef>& fields, std::function<void(const QList<Answer>&)> done)
{
    QJsonArray list;
    for (const FieldRef& field : fields)
        list.append(
            QJsonObject{{QStringLiteral("node"), field.node}, {QStringLiteral("field"), field.field}});
    const qsizetype count = fields.size();
    run(QStringLiteral("VendrelTry.read(") + compact(list) + u')',
        [done, count](const QVariant& reply) { done(answersOf(reply, count)); });
}

void XiteTry::poll(std::function<void(const QHash<QString, Log>&)> done)
{
    run(QStringLiteral("typeof VendrelTry === 'object' ? VendrelTry.poll() : '{}'"),
        [done](const QVariant& reply) { done(logsOf(reply)); });
}

XiteTry::Answer XiteTry::answerOf(const QVariant& reply)
{
    const QJsonDocument document = parsed(reply);
    if (!document.isObject())
        return failure(QStringLiteral("The page gave no answer"));
    return fromObject(document.object());
}

QList<XiteTry::Answer> XiteTry::answersOf(const QVariant& reply, qsizetype count)
{
    const QJsonArray array = parsed(reply).array();
    QList<Answer> answers;
    answers.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        answers.append(i < array.size() ? fromObject(array.at(i).toObject())
                                        : failure(QStringLiteral("The page gave no answer")));
    return answers;
}

QHash<QString, XiteTry::Log> XiteTry::logsOf(const QVariant& reply)
{
    QHash<QString, Log> logs;
    const QJsonObject object = parsed(reply).object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonObject found = it.value().toObject();
        Log log;
        log.count = wholeNumber(found.value(u"count"));
        const QJsonArray entries = found.value(u"entries").toArray();
        for (qsizetype i = std::max<qsizetype>(0, entries.size() - maxLogEntries); i < entries.size(); ++i) {
            const QJsonObject entry = entries.at(i).toObject();
            log.entries.append({bounded(entry.value(u"text")), bounded(entry.value(u"error")),
                                wholeNumber(entry.value(u"ms"))});
        }
        logs.insert(it.key().left(maxText), log);
    }
    return logs;
}

} // namespace vendrel
