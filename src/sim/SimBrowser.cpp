#include "SimBrowser.h"

#include "SimNode.h"
#include "SimScene.h"

#include <QCoreApplication>
#include <QTimer>

namespace vendrel {

SimBrowser::SimBrowser() = default;
SimBrowser::~SimBrowser() = default;

void SimBrowser::addWorld(const QString& address, const QString& description)
{
    m_worlds.insert(address, description);
}

void SimBrowser::loadURL(const QStringList& url, const QStringList& parameter)
{
    (void)parameter;
    const QString address = url.value(0);
    if (const auto refused = m_refused.constFind(address); refused != m_refused.cend())
        throw Failure(refused->toStdString());
    m_requests.append(address);
    if (m_stalled)
        return;
    const auto world = m_worlds.constFind(address);
    if (world == m_worlds.cend()) {
        m_lastError = QStringLiteral("Couldn't load \"%1\".").arg(address);
        deliver(3);
        return;
    }
    try {
        m_context = SimScene::parse(*world);
        m_lastError.clear();
        deliver(0);
    } catch (const Failure& failure) {
        m_lastError = QString::fromStdString(failure.what());
        deliver(3);
    }
}

std::shared_ptr<ExecutionContext> SimBrowser::getExecutionContext()
{
    if (!m_context)
        throw Failure("No world has been loaded");
    return m_context;
}

void SimBrowser::addBrowserListener(X3DBrowserListener* listener)
{
    m_listeners.push_back(listener);
}

void SimBrowser::removeBrowserListener(X3DBrowserListener* listener)
{
    std::erase(m_listeners, listener);
}

void SimBrowser::fire(int evnt)
{
    const auto listeners = m_listeners; // a listener may remove itself
    for (auto* listener : listeners)
        listener->browserChanged(evnt);
}

void SimBrowser::refuseWeb(const QString& host)
{
    const auto listeners = m_listeners;
    for (auto* listener : listeners)
        listener->webRefused(host);
}

void SimBrowser::requestValue(const NodeRef& node, const QString& fieldName, bool sinceLast, Answer answer)
{
    ++valueRequests;
    auto* simNode = dynamic_cast<SimNode*>(node.get());
    const SimField* field = simNode ? simNode->field(fieldName) : nullptr;
    if (!field)
        throw Failure("No field " + fieldName.toStdString());
    FieldValueText value;
    if (sinceLast && field == m_watched && field->liveVersion() == m_watchedVersion) {
        value.unchanged = true;
    } else {
        value = field->liveValue();
        ++valuesTold;
    }
    m_watched = field;
    m_watchedVersion = field->liveVersion();
    QTimer::singleShot(0, &m_guard, [answer = std::move(answer), value] { answer(value); });
}

void SimBrowser::deliver(int evnt)
{
    if (QCoreApplication::instance())
        QTimer::singleShot(0, &m_guard, [this, evnt] { fire(evnt); });
    else
        fire(evnt);
}

} // namespace vendrel
