#include "pages/CAnchoredLayout.h"

#include <algorithm>

void CAnchoredLayout::Add(QWidget* widget, Follow follow) {
    if (widget)
        m_Items.push_back({widget, widget->geometry(), follow});
}

void CAnchoredLayout::Apply(int dx, int dy) const {
    dx = std::max(dx, 0);
    dy = std::max(dy, 0);
    for (const ITEM& item : m_Items) {
        if (!item.widget)
            continue;
        QRect rect = item.rcTemplate;
        switch (item.follow) {
        case Follow::Stay:
            break;
        case Follow::Right:
            rect.translate(dx, 0);
            break;
        case Follow::Wider:
            rect.setWidth(rect.width() + dx);
            break;
        case Follow::Down:
            rect.translate(0, dy);
            break;
        case Follow::DownWider:
            rect.translate(0, dy);
            rect.setWidth(rect.width() + dx);
            break;
        case Follow::WiderTaller:
            rect.setSize(rect.size() + QSize(dx, dy));
            break;
        }
        if (rect != item.widget->geometry())
            item.widget->setGeometry(rect);
    }
}
