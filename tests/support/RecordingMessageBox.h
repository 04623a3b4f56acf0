#pragma once

#include "core/MessageBox.h"

#include <QStringList>

#include <functional>

namespace vendrel::test {

/// Records every message instead of showing it; `onShow` runs while the "box" is up.
class RecordingMessageBox : public MessageBox
{
public:
    void show(const QString& text) override
    {
        messages.append(text);
        if (onShow)
            onShow(text);
    }

    QStringList messages;
    std::function<void(const QString&)> onShow;
};

} // namespace vendrel::test
