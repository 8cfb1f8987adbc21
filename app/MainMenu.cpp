#include "app/MainMenu.h"

#include "app/CCommandRouter.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include <iterator>
#include <set>

namespace {

const MENUROW kMainMenuRows[] = {
    {"File", "Import Data Log...", ID_FILE_IMPORT_LOG, "Ctrl+L"},
    {"File", nullptr, 0, nullptr},
    {"File", "Export Image", ID_FILE_EXPORT_IMAGE, nullptr},
    {"File", "Export Data Table", ID_FILE_EXPORT_TABLE, nullptr},
    {"File", "Export Binary Data", ID_FILE_EXPORT_BINARY, nullptr},
    {"File", "Save Report As...", ID_FILE_SAVE_REPORT, nullptr},
    {"File", "Export Report...", ID_FILE_EXPORT_REPORT, nullptr},
    {"File", nullptr, 0, nullptr},
    {"File", "Quit", ID_FILE_QUIT, nullptr},
    {"Analyze", "Re-Extract Data", ID_ANALYZE_REEXTRACT, "Ctrl+E"},
    {"Analyze", "Evaluate Characteristic Function", ID_ANALYZE_CHARFUNCTION, "Ctrl+F"},
    {"Analyze", "Fit Model", ID_ANALYZE_FIT_MODEL, "Ctrl+M"},
    {"Analyze", "Probability Plot", ID_ANALYZE_PROBABILITY_PLOT, "Ctrl+P"},
    {"Analyze", "Evaluation Summary", ID_ANALYZE_SUMMARY, "Ctrl+S"},
    {"Analyze", "Compare Series...", ID_ANALYZE_COMPARE, nullptr},
    {"Settings", "Program Parameters", ID_SETTINGS_PARAMETERS, nullptr},
    {nullptr, "About", ID_APP_ABOUT, "Alt+A"},
    {nullptr, "Disclaimer", ID_APP_DISCLAIMER, nullptr},
};

// Marks the mnemonic of a menu text: the first letter of a word, else any
// letter, that no other entry of the same menu (or the bar) has taken. A
// table of fixed letters would have to be kept in step with every new row.
QString WithMnemonic(const QString& text, std::set<QChar>& taken) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const auto free = [&](qsizetype i) {
        return escaped[i].isLetter() && taken.count(escaped[i].toUpper()) == 0 &&
               (i == 0 || escaped[i - 1] != QLatin1Char('&'));
    };
    for (const bool bWordStart : {true, false}) {
        for (qsizetype i = 0; i < escaped.size(); ++i) {
            const bool start =
                i == 0 || escaped[i - 1] == QLatin1Char(' ') || escaped[i - 1] == QLatin1Char('-');
            if ((start || !bWordStart) && free(i)) {
                taken.insert(escaped[i].toUpper());
                return escaped.left(i) + QLatin1Char('&') + escaped.mid(i);
            }
        }
    }
    return escaped;
}

QAction* MakeAction(const MENUROW& row, QWidget& window, const CCommandRouter& router,
                    std::set<QChar>* mnemonics) {
    const QString text = QString::fromUtf8(row.pszText);
    auto* action = new QAction(mnemonics ? WithMnemonic(text, *mnemonics) : text, &window);
    if (row.pszShortcut) {
        action->setShortcut(QKeySequence(QString::fromUtf8(row.pszShortcut)));
        action->setShortcutContext(Qt::WindowShortcut);
    }
    const int nCommand = row.nCommand;
    QObject::connect(action, &QAction::triggered, &window,
                     [&router, nCommand] { router.Execute(nCommand); });
    window.addAction(action);
    return action;
}

// Shown state follows the rules only while the pop-up is open; closed, every
// item stays enabled so that an accelerator reaches the router, which tests
// the rule at that moment.
void FollowRulesWhileOpen(QMenu* menu, const CCommandRouter& router,
                          const std::map<QAction*, int>& commands) {
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, &router, commands] {
        for (QAction* action : menu->actions())
            if (const auto found = commands.find(action); found != commands.end())
                action->setEnabled(router.IsEnabled(found->second));
    });
    QObject::connect(menu, &QMenu::aboutToHide, menu, [menu] {
        for (QAction* action : menu->actions())
            action->setEnabled(true);
    });
}

} // namespace

const MENUROW* MainMenuRows(int& nCount) {
    nCount = static_cast<int>(std::size(kMainMenuRows));
    return kMainMenuRows;
}

std::map<int, QAction*> BuildMainMenu(QMenuBar& menuBar, QWidget& window,
                                      const CCommandRouter& router) {
    std::map<int, QAction*> actions;
    std::map<QAction*, int> commands;
    std::map<QString, QMenu*> menus;
    std::map<QMenu*, std::set<QChar>> menuMnemonics;
    // Alt+A is About's own accelerator: no title of the bar may take it.
    std::set<QChar> barMnemonics = {QLatin1Char('A')};
    for (const MENUROW& row : kMainMenuRows) {
        if (!row.pszMenu) {
            // an item of the bar with an accelerator of its own needs no mnemonic
            QAction* action =
                MakeAction(row, window, router, row.pszShortcut ? nullptr : &barMnemonics);
            menuBar.addAction(action);
            actions[row.nCommand] = action;
            continue;
        }
        const QString title = QString::fromUtf8(row.pszMenu);
        QMenu*& menu = menus[title];
        if (!menu)
            menu = menuBar.addMenu(WithMnemonic(title, barMnemonics));
        if (row.nCommand == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = MakeAction(row, window, router, &menuMnemonics[menu]);
        menu->addAction(action);
        actions[row.nCommand] = action;
        commands[action] = row.nCommand;
    }
    for (const auto& [title, menu] : menus)
        FollowRulesWhileOpen(menu, router, commands);
    return actions;
}
