#include "SimScene.h"

#include "SimSceneParser.h"

namespace vendrel {

SimScene::SimScene(Private) {}

std::shared_ptr<SimScene> SimScene::create()
{
    return std::make_shared<SimScene>(Private{});
}

std::shared_ptr<SimScene> SimScene::parse(QStringView description)
{
    auto scene = create();
    SimSceneParser(description, *scene).parse();
    return scene;
}

NodeArrayRef SimScene::rootNodes()
{
    m_faults.check("rootNodes");
    return ref(&m_roots);
}

SimNode& SimScene::addNode(const QString& type, const QString& def)
{
    m_nodes.push_back(std::make_unique<SimNode>(*this, type, def));
    return *m_nodes.back();
}

SimNode* SimScene::findByDef(QStringView def) const
{
    for (const auto& node : m_nodes) {
        if (node->def() == def)
            return node.get();
    }
    return nullptr;
}

// References share the scene's ownership, so a tag in the tree keeps everything it can reach alive.
NodeRef SimScene::ref(SimNode* node)
{
    return node ? NodeRef(shared_from_this(), node) : NodeRef();
}

FieldRef SimScene::ref(SimField* field)
{
    return field ? FieldRef(shared_from_this(), field) : FieldRef();
}

NodeArrayRef SimScene::ref(SimNodeArray* array)
{
    return array ? NodeArrayRef(shared_from_this(), array) : NodeArrayRef();
}

} // namespace vendrel
