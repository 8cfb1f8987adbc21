#pragma once

#include "diagram/DiagramStyle.h"

#include <QFrame>
#include <QImage>
#include <QRect>
#include <QString>

#include <string>

class CA1TimeSeries;

// The child window of a diagram page: it owns an off-screen bitmap of its
// client size and draws a series into it on request. Painting only copies the
// bitmap, so uncovering the window never renders.
class CA1DiagramWnd : public QFrame {
    Q_OBJECT

public:
    explicit CA1DiagramWnd(QWidget* parent = nullptr);
    ~CA1DiagramWnd() override;

    // Places the window over `rect` (in the parent's coordinates) with a
    // one-pixel sunken edge and makes the bitmap of the client area inside
    // that edge, zero-filled (black). Fails, with no bitmap, when the window
    // was created before or the client area would be empty.
    bool Create(const QString& name, int id, const QRect& rect, QWidget* parent);
    bool IsCreated() const { return !m_image.isNull(); }
    int ControlId() const { return m_nId; }

    // Renders the series into the bitmap with the style. False for no series
    // or no bitmap, or when the series lacks the diagram's data (the bitmap
    // then shows the background). Does not repaint: callers update the
    // window when they want the new picture at once.
    bool DrawSeries(CA1TimeSeries* series);

    // After the window was resized: a bitmap of the new client size (black
    // until drawn); true when the size changed.
    bool FitBitmapToWindow();
    // Saves the bitmap as it is, in the format of the path's extension.
    bool SaveImage(const std::string& path) const;

    DiagramStyle& Style() { return m_style; }
    const DiagramStyle& Style() const { return m_style; }
    const QImage& Bitmap() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
    DiagramStyle m_style;
    int m_nId = 0;
};
