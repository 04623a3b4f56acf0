#pragma once

#include "core/FieldValues.h"
#include "core/SceneAccess.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace vendrel {

class SimScene;
class SimField;

/// A browser over simulated scenes, for tests and tools: addresses map to scene descriptions. A load
/// of a known address makes its scene the execution context and reports event 0; an unknown address or
/// a description that does not parse reports event 3; a refused address fails the request itself. With a
/// Qt application the events arrive from the event loop, as a real browser's do; without one, at once.
/// Field values are those set on the scene's fields (SimField::setLiveValue), answered from the event loop.
class SimBrowser : public Browser, public FieldValues
{
public:
    SimBrowser();
    ~SimBrowser() override;

    void addWorld(const QString& address, const QString& description);
    /// Makes a load request for `address` throw Failure with `reason`, as for an address the browser
    /// cannot even ask for.
    void refuse(const QString& address, const QString& reason) { m_refused.insert(address, reason); }
    /// The addresses asked for, in order.
    const QStringList& loadRequests() const { return m_requests; }
    /// Holds back the events of later loads (a world that never finishes loading).
    void setStalled(bool stalled) { m_stalled = stalled; }

    void loadURL(const QStringList& url, const QStringList& parameter) override;
    std::shared_ptr<ExecutionContext> getExecutionContext() override;
    void addBrowserListener(X3DBrowserListener* listener) override;
    void removeBrowserListener(X3DBrowserListener* listener) override;
    QString lastError() const override { return m_lastError; }

    /// Tells every listener about `evnt`.
    void fire(int evnt);
    /// Tells every listener that the world asked for material from the web `host`.
    void refuseWeb(const QString& host);
    void allowWebHost(const QString& host) override { allowedHosts.append(host); }
    QStringList allowedHosts;

    FieldValues* fieldValues() override { return this; }
    void requestValue(const NodeRef& node, const QString& fieldName, bool sinceLast, Answer answer) override;
    /// The value requests made, and how many were answered with a value (not as unchanged).
    int valueRequests = 0;
    int valuesTold = 0;

private:
    void deliver(int evnt);

    QHash<QString, QString> m_worlds;
    QHash<QString, QString> m_refused; // address -> reason
    QStringList m_requests;
    std::shared_ptr<ExecutionContext> m_context;
    std::vector<X3DBrowserListener*> m_listeners;
    QString m_lastError;
    bool m_stalled = false;
    const SimField* m_watched = nullptr;
    int m_watchedVersion = 0;
    QObject m_guard; // ends queued deliveries with the browser
};

} // namespace vendrel
