#include "DetailsDock.h"

#include "details/DetailsWatch.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>

namespace vendrel {

DetailsDock::DetailsDock(const SceneTree& tree, FieldValues* values, QWidget* parent)
    : QDockWidget(QStringLiteral("Details"), parent)
{
    setObjectName(QStringLiteral("DetailsDock"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("DetailsText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap); // script lines stay whole
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setMinimumWidth(120);
    setWidget(m_text);
    m_watch = new DetailsWatch(
        tree, values, [this](const QString& text) { showText(text); }, this);
    // Hidden, it asks the browser nothing.
    connect(this, &QDockWidget::visibilityChanged, this,
            [this](bool visible) { m_watch->highlight(visible ? m_highlighted : 0); });
}

DetailsDock::~DetailsDock() = default;

void DetailsDock::highlight(int index)
{
    m_highlighted = index;
    if (isVisible())
        m_watch->highlight(index);
}

QString DetailsDock::text() const
{
    return m_text->toPlainText();
}

void DetailsDock::showText(const QString& text)
{
    if (text == m_text->toPlainText())
        return;
    // A new value keeps the place the user scrolled to.
    const int scrolled = m_text->verticalScrollBar()->value();
    const bool sameItem = m_shownItem == m_watch->highlighted();
    m_shownItem = m_watch->highlighted();
    m_text->setPlainText(text);
    if (sameItem)
        m_text->verticalScrollBar()->setValue(scrolled);
}

} // namespace vendrel
