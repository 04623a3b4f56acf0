#pragma once

#include "ItemDetails.h"
#include "core/FieldValues.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>

namespace vendrel {

class SceneTree;

/// Keeps the details of the highlighted tree item up to date. A field's value is read once when its
/// item is highlighted, then asked about every refreshMs: the browser answers with the new value only
/// when the field changed, so the text is made again at most a few times a second, and only then.
class DetailsWatch : public QObject
{
    Q_OBJECT
public:
    static constexpr int refreshMs = 250;
    /// A question the browser left unanswered this long is asked again.
    static constexpr int answerWaitMs = 2000;

    /// `values` may be null: the details then say that values cannot be read. `show` gets every new text.
    DetailsWatch(const SceneTree& tree, FieldValues* values, std::function<void(const QString&)> show,
                 QObject* parent = nullptr);

    /// Shows the details of item `index` (0: none) and watches its field, if it has one.
    void highlight(int index);
    int highlighted() const { return m_index; }

private:
    void ask(bool sinceLast);
    void answered(std::uint64_t question, const FieldValueText& value);
    void render();

    const SceneTree& m_tree;
    FieldValues* m_values;
    std::function<void(const QString&)> m_show;
    QTimer m_timer;
    QElapsedTimer m_asked;

    int m_index = 0;
    std::uint64_t m_treeGeneration = 0;
    std::optional<ItemDetails::Field> m_field;
    std::optional<FieldValueText> m_value;
    std::uint64_t m_question = 0; // counts the questions asked; an answer to an older one is late
    bool m_waiting = false;
};

} // namespace vendrel
