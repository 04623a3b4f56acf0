#include "DetailsWatch.h"

#include "scene/SceneTree.h"

#include <QPointer>

namespace vendrel {

DetailsWatch::DetailsWatch(const SceneTree& tree, FieldValues* values,
                           std::function<void(const QString&)> show, QObject* parent)
    : QObject(parent), m_tree(tree), m_values(values), m_show(std::move(show))
{
    m_timer.setInterval(refreshMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_tree.generation() != m_treeGeneration)
            return highlight(0); // the tree was built anew: the item is gone
        if (!m_waiting || m_asked.hasExpired(answerWaitMs))
            ask(true);
    });
}

void DetailsWatch::highlight(int index)
{
    m_timer.stop();
    ++m_question;
    m_waiting = false;
    m_index = index;
    m_treeGeneration = m_tree.generation();
    m_field = ItemDetails::fieldOf(m_tree, index);
    m_value.reset();
    if (m_field && !m_values)
        m_value = FieldValueText{false, false, QStringLiteral("the browser does not tell field values")};
    render();
    if (m_field && m_values) {
        ask(false);
        m_timer.start();
    }
}

void DetailsWatch::ask(bool sinceLast)
{
    const std::uint64_t question = ++m_question;
    m_waiting = true;
    m_asked.start();
    try {
        m_values->requestValue(m_field->node, m_field->info.name, sinceLast,
                               [self = QPointer(this), question](const FieldValueText& value) {
                                   if (self)
                                       self->answered(question, value);
                               });
    } catch (const Failure& failure) {
        m_timer.stop();
        m_waiting = false;
        m_value = FieldValueText{false, false, QString::fromUtf8(failure.what())};
        render();
    }
}

void DetailsWatch::answered(std::uint64_t question, const FieldValueText& value)
{
    if (question != m_question)
        return;
    m_waiting = false;
    if (value.unchanged)
        return;
    m_value = value;
    render();
}

void DetailsWatch::render()
{
    if (m_show)
        m_show(ItemDetails::describe(m_tree, m_index, m_value));
}

} // namespace vendrel
