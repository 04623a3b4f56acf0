#include "X3DBrowserView.h"

#include "XiteBrowser.h"

#include <QWebEngineView>

namespace vendrel {

X3DBrowserView::X3DBrowserView(std::shared_ptr<XiteBrowser> browser, QWidget* parent)
    : QWidget(parent), m_browser(std::move(browser))
{
    for (QWebEngineView*& view : m_views) {
        view = new QWebEngineView(this);
        // The view's own menu offers back, reload and view source, all of which would break the page;
        // a drop would take the page elsewhere.
        view->setContextMenuPolicy(Qt::NoContextMenu);
        view->setAcceptDrops(false);
        view->hide();
    }
    if (!m_browser)
        return;
    if (QWebEnginePage* below = m_browser->pageBelow())
        showOnTop(below);
    if (QWebEnginePage* page = m_browser->page())
        showOnTop(page);
    connect(m_browser.get(), &XiteBrowser::pageReplaced, this, [this](QWebEnginePage* page) {
        if (page)
            showOnTop(page);
    });
    connect(m_browser.get(), &XiteBrowser::pageDropped, this, &X3DBrowserView::release);
}

X3DBrowserView::~X3DBrowserView()
{
    // The pages belong to the browser object, which may outlive the view.
    if (m_browser)
        disconnect(m_browser.get(), nullptr, this, nullptr);
}

QWebEnginePage* X3DBrowserView::page() const
{
    return m_top < 0 ? nullptr : m_pages[std::size_t(m_top)];
}

void X3DBrowserView::showOnTop(QWebEnginePage* page)
{
    int slot = -1;
    for (int i = 0; i < int(m_views.size()); ++i) {
        if (m_pages[std::size_t(i)] == page)
            slot = i;
    }
    if (slot < 0) {
        // A free view, else the one that is not on top: its page is no longer the browser's to show.
        slot = m_pages[0] == nullptr ? 0 : m_pages[1] == nullptr ? 1 : (m_top == 0 ? 1 : 0);
        m_pages[std::size_t(slot)] = page;
        m_views[std::size_t(slot)]->setPage(page);
    }
    QWebEngineView* view = m_views[std::size_t(slot)];
    view->setGeometry(rect());
    view->show();
    view->raise();
    m_top = slot;
}

void X3DBrowserView::release(QWebEnginePage* page)
{
    for (int i = 0; i < int(m_views.size()); ++i) {
        if (m_pages[std::size_t(i)] != page)
            continue;
        m_pages[std::size_t(i)] = nullptr;
        m_views[std::size_t(i)]->hide();
        if (m_top == i)
            m_top = m_pages[std::size_t(1 - i)] ? 1 - i : -1;
    }
}

void X3DBrowserView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    for (QWebEngineView* view : m_views)
        view->setGeometry(rect());
}

} // namespace vendrel
