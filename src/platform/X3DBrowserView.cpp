#include "X3DBrowserView.h"

#include "XiteBrowser.h"

namespace vendrel {

X3DBrowserView::X3DBrowserView(std::shared_ptr<XiteBrowser> browser, QWidget* parent)
    : QWebEngineView(parent), m_browser(std::move(browser))
{
    // The view's own menu offers back, reload and view source, all of which would break the page.
    setContextMenuPolicy(Qt::NoContextMenu);
    if (!m_browser)
        return;
    if (QWebEnginePage* page = m_browser->page())
        setPage(page);
    connect(m_browser.get(), &XiteBrowser::pageReplaced, this, [this](QWebEnginePage* page) {
        if (page)
            setPage(page);
    });
}

X3DBrowserView::~X3DBrowserView()
{
    // The page belongs to the browser object, which may outlive the view.
    if (m_browser)
        disconnect(m_browser.get(), nullptr, this, nullptr);
}

} // namespace vendrel
