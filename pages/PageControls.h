#pragma once

#include <QString>

class CDialogUnits;
class QWidget;

// One control of a page template: its kind, id (0 for a label or frame
// without one), text and place in dialog units.
enum class ControlKind {
    Label,
    ReadOnlyLine,
    Edit,
    GroupBox,
    DropDownList,
    CheckBox,
    PushButton,
    // A push button whose text wraps onto several lines.
    MultiLineButton,
};

struct CONTROLROW {
    ControlKind kind;
    int nId;
    const char* pszText;
    int x;
    int y;
    int width;
    int height;
};

// Creates the control of the row as a child of `page` at its place. A control
// with an id is named by its number, so that the page and its tests find it
// as the template names it. Group boxes are frames only: the controls inside
// them are the page's own children, in the page's coordinates, and are
// created after the frame so that they lie above it.
QWidget* CreateControl(QWidget& page, const CDialogUnits& units, const CONTROLROW& row);

// Sets the widget's font a little smaller when its text (a label's, a
// drop-down's longest entry) is wider than the place the template gives it:
// the Qt styles pad more than the template's metrics allowed for.
void FitFontToPlace(QWidget& widget);

// The object name of control `nId`.
QString ControlName(int nId);
