#pragma once

#include <functional>
#include <map>

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
};
