#pragma once

#include <functional>
#include <map>
#include <set>

// The commands of the main window by number: what each does and when it is
// enabled. A command that is not enabled does nothing, whether it comes
// from the menu or from its accelerator.
class CCommandRouter {
public:
    using Handler = std::function<void()>;
    using Rule = std::function<bool()>;

    // A command without a rule is always enabled. Adding a command again
    // replaces it.
    void Add(int nCommand, Handler handler, Rule enabled = {});

    // While `held` says so, every command but the `exempt` ones is disabled:
    // the window's long work holds the commands that would touch its series.
    void HoldWhile(Rule held, std::set<int> exempt);

    bool IsKnown(int nCommand) const;
    // False for an unknown command.
    bool IsEnabled(int nCommand) const;
    // Runs the command when it is enabled; false when it was not run.
    bool Execute(int nCommand) const;

private:
    struct COMMAND {
        Handler handler;
        Rule enabled;
    };
    std::map<int, COMMAND> m_Commands;
    Rule m_Held;
    std::set<int> m_Exempt;
};
