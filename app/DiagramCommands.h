#pragma once

class CTessaricDlg;

// Adds to the window's commands those of the Analyze menu and the File
// menu's exports, each with its enabling rule. A command reaches its page
// only after the page holds the window's current series.
void RegisterDiagramCommands(CTessaricDlg& window);
