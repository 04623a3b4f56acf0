#include "FontFit.h"

#include <QPushButton>
#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <numeric>
#include <vector>

namespace vendrel {

QSize neededSize(const QWidget* control)
{
    const QSize hint = control->sizeHint();
    const auto* button = qobject_cast<const QPushButton*>(control);
    if (!button)
        return hint;
    const int margins = 2 * (button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                             button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
    return {button->fontMetrics().horizontalAdvance(QString(button->text()).remove(u'&')) + margins,
            hint.height()};
}

namespace {

/// Whether [a1, a2) and [b1, b2) share a part.
bool overlap(int a1, int a2, int b1, int b2)
{
    return a1 < b2 && b1 < a2;
}

} // namespace

void fitToFont(QWidget* dialog, QSize minimum)
{
    const QList<QWidget*> controls = dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    std::vector<QRect> was, now;
    for (const QWidget* control : controls) {
        was.push_back(control->geometry());
        now.push_back(QRect(control->pos(), control->size().expandedTo(neededSize(control))));
    }
    std::vector<std::size_t> order(was.size());
    std::iota(order.begin(), order.end(), std::size_t(0));

    // Left to right: a control keeps its gap to each control left of it on the same band.
    std::sort(order.begin(), order.end(), [&](auto a, auto b) { return was[a].left() < was[b].left(); });
    for (std::size_t c : order) {
        int left = was[c].x();
        for (std::size_t d = 0; d < was.size(); ++d) {
            const int gap = was[c].x() - (was[d].x() + was[d].width());
            if (gap >= 0 && overlap(was[c].y(), was[c].bottom() + 1, was[d].y(), was[d].bottom() + 1))
                left = std::max(left, now[d].x() + now[d].width() + gap);
        }
        now[c].moveLeft(left);
    }
    // Top to bottom, against where the controls stand now.
    std::sort(order.begin(), order.end(), [&](auto a, auto b) { return was[a].top() < was[b].top(); });
    for (std::size_t c : order) {
        int top = was[c].y();
        for (std::size_t d = 0; d < was.size(); ++d) {
            const int gap = was[c].y() - (was[d].y() + was[d].height());
            if (gap >= 0 && overlap(now[c].x(), now[c].right() + 1, now[d].x(), now[d].right() + 1))
                top = std::max(top, now[d].y() + now[d].height() + gap);
        }
        now[c].moveTop(top);
    }

    int wasRight = 0, wasBottom = 0, nowRight = 0, nowBottom = 0;
    for (std::size_t c = 0; c < was.size(); ++c) {
        controls[qsizetype(c)]->setGeometry(now[c]);
        wasRight = std::max(wasRight, was[c].x() + was[c].width());
        wasBottom = std::max(wasBottom, was[c].y() + was[c].height());
        nowRight = std::max(nowRight, now[c].x() + now[c].width());
        nowBottom = std::max(nowBottom, now[c].y() + now[c].height());
    }
    dialog->setFixedSize(minimum +
                         QSize(std::max(0, nowRight - wasRight), std::max(0, nowBottom - wasBottom)));
}

} // namespace vendrel
