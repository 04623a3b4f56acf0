#pragma once

#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QWebEnginePage;

namespace vendrel {

/// The Try panel's way into the page of the world shown: loads the host library, a generated script and
/// the page-side helper (vendrel-try.js) into the world's own JavaScript realm, calls the script's
/// functions, reads fields and collects what the listeners were called with. What goes in is JSON data,
/// never text pasted into code; what comes back is untrusted and bounded, and only ever parsed as JSON.
/// Answers arrive later on the UI thread; an answer that cannot be read becomes an error.
class XiteTry : public QObject
{
    Q_OBJECT
public:
    /// One answer: `text` the value as text when `ok`, else `error`; for a field read, `fill` holds the
    /// parts the input boxes take (components, or the list as one text) and `first` those of the first
    /// element of a list.
    struct Answer
    {
        bool ok = false;
        QString text;
        QString error;
        QStringList fill;
        QStringList first;
    };
    struct LogEntry
    {
        QString text;
        QString error;
        qint64 ms = 0; ///< the page's clock, ms since the epoch
    };
    struct Log
    {
        qint64 count = 0;        ///< calls so far
        QList<LogEntry> entries; ///< the last few, oldest first
    };
    struct FieldRef
    {
        QString node;
        QString field;
    };
    using Done = std::function<void(const Answer&)>;

    /// `page` gives the page to talk to at each call; null when there is none.
    explicit XiteTry(std::function<QWebEnginePage*()> page, QObject* parent = nullptr);

    /// Loads the host library, `script` and the helper, wraps the `listeners` so their calls are
    /// logged and attaches the script's listeners to the world already there.
    virtual void install(const QString& script, const QStringList& listeners, Done done);
    /// Calls the page's function `name` with `args`.
    virtual void call(const QString& name, const QJsonArray& args, Done done);
    /// The current values of `fields`, one answer each, in order.
    virtual void read(const QList<FieldRef>& fields, std::function<void(const QList<Answer>&)> done);
    /// The logs of the listeners called since the last poll, by listener name.
    virtual void poll(std::function<void(const QHash<QString, Log>&)> done);

    static constexpr int maxText = 2'000;            // characters of one value or message
    static constexpr int maxLogEntries = 20;         // per listener
    static constexpr qsizetype maxAnswer = 16 << 20; // characters of one answer of the page

    /// An answer of the page as the panel takes it, whatever the page sent.
    static Answer answerOf(const QVariant& reply);
    static QList<Answer> answersOf(const QVariant& reply, qsizetype count);
    static QHash<QString, Log> logsOf(const QVariant& reply);

private:
    /// Runs `js` in the world's realm; `done` gets the result, or an invalid one without a page.
    void run(const QString& js, std::function<void(const QVariant&)> done);

    std::function<QWebEnginePage*()> m_page;
    QString m_helper; // the text of the host library and of vendrel-try.js
};

} // namespace vendrel
