#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace vendrel {

/// The one object the X3D page sees of the application, over the web channel: the page posts its
/// reports as JSON text, the application asks for loads. It offers nothing else, in particular nothing
/// that reads or writes files; what is posted is checked by the receiver.
class XiteBridge : public QObject
{
    Q_OBJECT
public:
    explicit XiteBridge(std::function<void(const QString&)> receiver, QObject* parent = nullptr)
        : QObject(parent), m_receiver(std::move(receiver))
    {}

    /// Called by the page.
    Q_INVOKABLE void post(const QString& message)
    {
        if (m_receiver)
            m_receiver(message);
    }

signals:
    /// Asks the page to load `url`; its reports carry `serial`.
    void loadRequested(int serial, const QString& url);
    /// Asks the page of load `serial` for the value of field `field` of node `node` (its number in the
    /// scene's description), or, `sinceLast`, only whether it changed since the last answer about it.
    void valueRequested(int serial, int request, int node, const QString& field, bool sinceLast);

private:
    std::function<void(const QString&)> m_receiver;
};

} // namespace vendrel
