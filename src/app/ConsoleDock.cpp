#include "ConsoleDock.h"

#include <QPlainTextEdit>
#include <QStyle>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace vendrel {

namespace {

const char* const levelNames[] = {"", "warning: ", "error: "};

} // namespace

ConsoleDock::ConsoleDock(QWidget* parent) : QDockWidget(QStringLiteral("Console"), parent)
{
    setObjectName(QStringLiteral("Console"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("ConsoleText"));
    m_text->setReadOnly(true);
    m_text->setMaximumBlockCount(maxMessages);
    setWidget(m_text);

    m_badge = new QToolButton(parent);
    m_badge->setObjectName(QStringLiteral("ConsoleBadge"));
    m_badge->setAutoRaise(true);
    m_badge->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_badge->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    m_badge->setToolTip(QStringLiteral("Show the world's console (View > Console)"));
    m_badge->hide();
    connect(m_badge, &QToolButton::clicked, this, [this] {
        show();
        raise();
    });
}

void ConsoleDock::add(const QString& message, int level, bool loading)
{
    level = std::clamp(level, 0, 2);
    // The page's addresses mean nothing to the user: local files are named by their file URLs.
    QString line = message.left(maxLength);
    line.replace(QLatin1String("vendrel://local/file/"), QLatin1String("file:///"));
    line.replace(QLatin1String("vendrel://local/app/"), QLatin1String(""));
    if (loading) {
        if (m_pending.size() < maxMessages)
            m_pending.append({line, level});
        return;
    }
    appendLine(line, level);
}

void ConsoleDock::appendLine(const QString& line, int level)
{
    m_text->appendPlainText(QString::fromLatin1(levelNames[level]) + line);
    if (level > 0) {
        ++m_warnings;
        updateBadge();
    }
}

void ConsoleDock::loadDone()
{
    m_text->clear();
    m_warnings = 0;
    for (const auto& [line, level] : std::exchange(m_pending, {}))
        appendLine(line, level);
    updateBadge();
}

void ConsoleDock::loadDropped()
{
    m_pending.clear();
}

void ConsoleDock::updateBadge()
{
    m_badge->setText(m_warnings == 1 ? QStringLiteral("1 warning")
                                     : QStringLiteral("%1 warnings").arg(m_warnings));
    m_badge->setVisible(m_warnings > 0);
}

} // namespace vendrel
