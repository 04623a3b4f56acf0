#pragma once

#include <QWidget>

#include <array>
#include <memory>

class QWebEnginePage;
class QWebEngineView;

namespace vendrel {

class XiteBrowser;

/// The embedded browser's view: it shows the page on top of the browser object, and while a load runs
/// in a page of its own, keeps the page of the world shown below it, so that a failed load brings that
/// world back as it was. With no browser object (it could not be made) it stays empty.
class X3DBrowserView : public QWidget
{
    Q_OBJECT
public:
    explicit X3DBrowserView(std::shared_ptr<XiteBrowser> browser, QWidget* parent = nullptr);
    ~X3DBrowserView() override;

    const std::shared_ptr<XiteBrowser>& browser() const { return m_browser; }
    /// The page on top; null when there is none.
    QWebEnginePage* page() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    /// Puts `page` on top, in the web view that holds it or in a free one.
    void showOnTop(QWebEnginePage* page);
    void release(QWebEnginePage* page);

    std::shared_ptr<XiteBrowser> m_browser;
    // Two web views, one per page: a page that is loaded stays visible below the page on top, so it
    // gets frames and finishes its load.
    std::array<QWebEngineView*, 2> m_views{};
    std::array<QWebEnginePage*, 2> m_pages{}; // what each view shows; null: nothing
    int m_top = -1;
};

} // namespace vendrel
