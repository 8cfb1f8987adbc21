#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <vector>

// How the controls of a window or a page follow when it is made larger than
// its template: the layout at the template size stays as designed, the
// panes grow with the extra room, and what sits right of or below them
// moves along, so that it stays anchored to the right or bottom edge.
class CAnchoredLayout {
public:
    enum class Follow {
        Stay,        // labels and fields at the top left
        Right,       // the controls on the right
        Wider,       // lines and bars that span the width
        Down,        // below the panes
        DownWider,   // below the panes and spanning the width
        WiderTaller, // the panes: diagram, text, tab area
    };

    // Records the widget's present geometry as its template geometry.
    void Add(QWidget* widget, Follow follow);
    bool IsEmpty() const { return m_Items.empty(); }
    // Places every widget for a window (dx, dy) pixels larger than its
    // template; negative extents count as 0, so the template is the least.
    void Apply(int dx, int dy) const;

private:
    struct ITEM {
        QPointer<QWidget> widget;
        QRect rcTemplate;
        Follow follow;
    };
    std::vector<ITEM> m_Items;
};
