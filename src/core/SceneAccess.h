#pragma once

// The scene access operations the system needs of an embedded X3D browser. The walk and the script
// generator see only these interfaces; the real browser component and the simulated scene implement them.
// Every operation may fail, and reports it by throwing vendrel::Failure.

#include "Failure.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace vendrel {

class SceneNode;
class SceneField;
class NodeArray;
class FieldValues;

using NodeRef = std::shared_ptr<SceneNode>;
using FieldRef = std::shared_ptr<SceneField>;
using NodeArrayRef = std::shared_ptr<NodeArray>;

/// What a tree item's tag can refer to: a scene node or a field object.
class SceneObject
{
public:
    virtual ~SceneObject() = default;
};

/// Access type, type code and name of one field of a node.
struct FieldInfo
{
    int accessType = 0;
    int fieldType = 0;
    QString name;
};

class SceneNode : public SceneObject
{
public:
    virtual QString typeName() = 0;
    /// The node's DEF name; "" when it has none.
    virtual QString defName() = 0;
    virtual int fieldCount() = 0;
    /// Information on the field at 0-based position j.
    virtual FieldInfo fieldInfo(int j) = 0;
    virtual FieldRef getField(const QString& name) = 0;
    /// Equal for every reference to the same scene node, so the walk can tell a node that is its own
    /// ancestor. Implementations that hand out several wrappers for one node must override it.
    virtual quintptr identity() const { return reinterpret_cast<quintptr>(this); }
};

class SceneField : public SceneObject
{
public:
    virtual QString getName() = 0;
    virtual int getType() = 0;
    /// The node array an MFNode field holds.
    virtual NodeArrayRef getValue() = 0;
    /// The node an SFNode field holds; null when it holds none.
    virtual NodeRef value() = 0;
};

class NodeArray
{
public:
    virtual ~NodeArray() = default;
    virtual int length() = 0;
    /// Element i (0-based); null for an empty element.
    virtual NodeRef item(int i) = 0;
};

class ExecutionContext
{
public:
    virtual ~ExecutionContext() = default;
    virtual NodeArrayRef rootNodes() = 0;
};

/// Browser events: 0 world initialized (loaded), 1 shut down, 2 connection error, 3 load failed.
class X3DBrowserListener
{
public:
    virtual ~X3DBrowserListener() = default;
    virtual void browserChanged(int evnt) = 0;
    /// A local world asked for material from the web `host`, which the user has not let it reach.
    virtual void webRefused(const QString& host) { (void)host; }
    /// The world being loaded still waits for `files` files (its inlines, textures, sounds, scripts).
    virtual void loadProgress(int files) { (void)files; }
};

class Browser
{
public:
    virtual ~Browser() = default;
    /// Starts loading the first address of `url`; completion arrives as a listener event.
    virtual void loadURL(const QStringList& url, const QStringList& parameter) = 0;
    virtual std::shared_ptr<ExecutionContext> getExecutionContext() = 0;
    /// The listener is not owned; remove it before it dies.
    virtual void addBrowserListener(X3DBrowserListener* listener) = 0;
    virtual void removeBrowserListener(X3DBrowserListener* listener) = 0;
    /// Why the last load failed, as the browser puts it; "" when it gives no reason.
    virtual QString lastError() const { return {}; }
    /// Gives up the load in progress without an event; the world shown before it stays.
    virtual void cancelLoad() {}
    /// Lets the world shown now reach the web `host` for the rest of the session.
    virtual void allowWebHost(const QString& host) { (void)host; }
    /// The live values of the shown world's fields; null when this browser cannot read them.
    virtual FieldValues* fieldValues() { return nullptr; }
};

} // namespace vendrel
