#pragma once

#include <QWebEngineView>

#include <memory>

namespace vendrel {

class XiteBrowser;

/// The embedded browser's view: it shows the page of the browser object and follows it when the page
/// is replaced. With no browser object (it could not be made) it stays empty.
class X3DBrowserView : public QWebEngineView
{
    Q_OBJECT
public:
    explicit X3DBrowserView(std::shared_ptr<XiteBrowser> browser, QWidget* parent = nullptr);
    ~X3DBrowserView() override;

    const std::shared_ptr<XiteBrowser>& browser() const { return m_browser; }

private:
    std::shared_ptr<XiteBrowser> m_browser;
};

} // namespace vendrel
