#pragma once

class CTessaricDlg;

// Adds File > Export Report... (the current series or every series as one
// HTML or PDF report, chosen by the save dialog's filter) and Analyze >
// Compare Series....
void RegisterReportCommands(CTessaricDlg& window);
