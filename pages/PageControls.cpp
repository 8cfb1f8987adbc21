#include "pages/PageControls.h"

#include "diagram/DialogUnits.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QVBoxLayout>

namespace {

// A push button with a word-wrapping label inside: Qt's own button text
// stays on one line.
QPushButton* CreateMultiLineButton(QWidget& page, const QString& text) {
    auto* button = new QPushButton(&page);
    button->setAccessibleName(text);
    auto* label = new QLabel(text, button);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QVBoxLayout(button);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(label);
    return button;
}

QWidget* CreateWidget(QWidget& page, const CONTROLROW& row) {
    const QString text = QString::fromUtf8(row.pszText ? row.pszText : "");
    switch (row.kind) {
    case ControlKind::Label:
        return new QLabel(text, &page);
    case ControlKind::ReadOnlyLine: {
        auto* edit = new QLineEdit(&page);
        edit->setReadOnly(true);
        return edit;
    }
    case ControlKind::Edit:
        return new QLineEdit(&page);
    case ControlKind::GroupBox:
        return new QGroupBox(text, &page);
    case ControlKind::DropDownList:
        return new QComboBox(&page);
    case ControlKind::CheckBox:
        return new QCheckBox(text, &page);
    case ControlKind::PushButton:
        return new QPushButton(text, &page);
    case ControlKind::MultiLineButton:
        return CreateMultiLineButton(page, text);
    }
    return nullptr;
}

} // namespace

QString ControlName(int nId) {
    return QString::number(nId);
}

namespace {

// A drop-down's longest entry against the field the style leaves it beside
// the arrow; its size hint pads less than the style draws. Any other
// widget against its size hint.
bool TextTooWide(QWidget& widget) {
    auto* list = qobject_cast<QComboBox*>(&widget);
    if (!list)
        return widget.sizeHint().width() > widget.width();
    QStyleOptionComboBox option;
    option.initFrom(list);
    const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxEditField, list);
    int longest = 0;
    for (int i = 0; i < list->count(); ++i)
        longest = std::max(longest, list->fontMetrics().horizontalAdvance(list->itemText(i)));
    // the styles draw the entry a few pixels in from the field's edges: a
    // character's width of slack keeps its last letter whole
    return longest + list->fontMetrics().averageCharWidth() > field.width();
}

} // namespace

void FitFontToPlace(QWidget& widget) {
    // Smaller than this share of the dialog font, text is harder to read
    // than a cut word would be.
    constexpr double kSmallestFontShare = 0.75;
    QFont font = widget.font();
    const bool bPixels = font.pixelSize() > 0;
    const double start = bPixels ? font.pixelSize() : font.pointSizeF();
    double size = start;
    while (TextTooWide(widget) && size > start * kSmallestFontShare) {
        // one pixel, or half a point, at a time: the largest size that fits
        size -= bPixels ? 1.0 : 0.5;
        if (bPixels)
            font.setPixelSize(static_cast<int>(size));
        else
            font.setPointSizeF(size);
        widget.setFont(font);
    }
}

QWidget* CreateControl(QWidget& page, const CDialogUnits& units, const CONTROLROW& row) {
    QWidget* widget = CreateWidget(page, row);
    if (!widget)
        return nullptr;
    if (row.nId != 0)
        widget->setObjectName(ControlName(row.nId));
    QRect rect = units.Rect(row.x, row.y, row.width, row.height);
    // A drop-down list's template height includes its open list; closed it
    // is as high as the style draws it.
    if (row.kind == ControlKind::DropDownList)
        rect.setHeight(widget->sizeHint().height());
    widget->setGeometry(rect);
    if (row.kind == ControlKind::Label || row.kind == ControlKind::CheckBox)
        FitFontToPlace(*widget);
    return widget;
}
