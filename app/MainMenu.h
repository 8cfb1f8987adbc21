#pragma once

#include <map>

class CCommandRouter;
class QAction;
class QMenuBar;
class QWidget;

// The command numbers of the menu bar and the accelerators.
enum MainCommand : int {
    ID_APP_ABOUT = 32771,
    ID_FILE_QUIT = 32774,
    ID_FILE_IMPORT_LOG = 32775,
    ID_ANALYZE_REEXTRACT = 32787,
    ID_ANALYZE_CHARFUNCTION = 32788,
    ID_ANALYZE_FIT_MODEL = 32792,
    ID_ANALYZE_PROBABILITY_PLOT = 32794,
    ID_ANALYZE_SUMMARY = 32795,
    ID_SETTINGS_PARAMETERS = 32800,
    ID_FILE_EXPORT_IMAGE = 32814,
    ID_FILE_EXPORT_TABLE = 32815,
    ID_FILE_EXPORT_BINARY = 32816,
    ID_APP_DISCLAIMER = 32819,
    ID_FILE_EXPORT_REPORT = 32830,
    ID_ANALYZE_COMPARE = 32831,
    ID_FILE_SAVE_REPORT = 32840,
};

// One row of the menu bar: the pop-up it belongs to (null for an item of
// the bar itself), its text, its command (0 for a separator) and its
// accelerator (null for none) in QKeySequence notation.
struct MENUROW {
    const char* pszMenu;
    const char* pszText;
    int nCommand;
    const char* pszShortcut;
};

// The rows in menu order.
const MENUROW* MainMenuRows(int& nCount);

// Builds the menu bar from the rows. Every item runs its command through
// the router, which also decides, just before a pop-up opens, which of its
// items are shown enabled. The accelerators are added to `window`, so that
// they work while the bar is closed; a command that is not enabled ignores
// its accelerator. Returns the action of each command.
std::map<int, QAction*> BuildMainMenu(QMenuBar& menuBar, QWidget& window,
                                      const CCommandRouter& router);
