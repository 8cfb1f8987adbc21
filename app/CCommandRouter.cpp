#include "app/CCommandRouter.h"

void CCommandRouter::Add(int nCommand, Handler handler, Rule enabled) {
    m_Commands[nCommand] = {std::move(handler), std::move(enabled)};
}

void CCommandRouter::HoldWhile(Rule held, std::set<int> exempt) {
    m_Held = std::move(held);
    m_Exempt = std::move(exempt);
}

bool CCommandRouter::IsKnown(int nCommand) const {
    return m_Commands.count(nCommand) != 0;
}

bool CCommandRouter::IsEnabled(int nCommand) const {
    const auto found = m_Commands.find(nCommand);
    if (found == m_Commands.end() || !found->second.handler)
        return false;
    if (m_Held && m_Held() && m_Exempt.count(nCommand) == 0)
        return false;
    return !found->second.enabled || found->second.enabled();
}

bool CCommandRouter::Execute(int nCommand) const {
    if (!IsEnabled(nCommand))
        return false;
    m_Commands.at(nCommand).handler();
    return true;
}
