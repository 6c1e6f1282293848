// The outside progress window that XMT_PATTERN feeds while a study loads its history.
//
// The window belongs to a separate program, "BarGaugeView.exe": a dialog-class ("#32770")
// top-level window whose title begins with "BarGaugeView" (case ignored), with a child
// control 1004 for the text and a WM_COMMAND 1002 that tells it the text changed. When the
// window is missing, the program is started (without waiting) and looked for again.
//
// Contract: called on the host's calculation thread only (the window found is kept
// process-wide, not locked). All window calls go through Platform::Default(); where the
// system has no windows (POSIX) the search simply finds none.
#pragma once

// Shows "<percent>\t<position + 1> of <total> - <text>" in the progress window, the percent
// being (position + 1) * 100 / (total + 1) with one decimal for total >= 2, else 50.0.
// A null text counts as empty. Result 0 updated, 99 the display is switched off, -1 the
// window did not appear (after starting the program and looking 100 more times, with no
// pause in between).
int UpdateProgressWindow(const char* text, int position, int total);

// The process-wide display switch: on (1) at load; 0 turns it off, anything else on.
void SetProgressDisplay(int on);
int ProgressDisplay();
