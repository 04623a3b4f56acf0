#pragma once

#include "core/MessageBox.h"

#include <QStringList>

#include <functional>

namespace vendrel::test {

/// Records every message and question instead of showing it; `onShow` runs while the "box" is up, and
/// every question is answered with `answer`.
class RecordingMessageBox : public MessageBox
{
public:
    void show(const QString& text) override
    {
        messages.append(text);
        if (onShow)
            onShow(text);
    }

    bool ask(const QString& question) override
    {
        show(question);
        return answer;
    }

    QStringList messages;
    bool answer = false;
    std::function<void(const QString&)> onShow;
};

} // namespace vendrel::test
