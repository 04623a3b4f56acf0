#pragma once

#include "core/SceneAccess.h"
#include "SimFaults.h"

#include <set>
#include <vector>

namespace vendrel {

class SimScene;
class SimNode;

/// A node array of a simulated scene. Fault operations: "length", "item"; `failElement` makes fetching
/// one element fail.
class SimNodeArray : public NodeArray
{
public:
    explicit SimNodeArray(SimScene& scene) : m_scene(scene) {}
    int length() override;
    NodeRef item(int i) override;

    void append(SimNode* node) { m_elements.push_back(node); }
    void failElement(int i) { m_failing.insert(i); }
    SimFaults& faults() { return m_faults; }
    const std::vector<SimNode*>& elements() const { return m_elements; }

private:
    SimScene& m_scene;
    std::vector<SimNode*> m_elements; // null: an empty element
    std::set<int> m_failing;
    SimFaults m_faults;
};

} // namespace vendrel
