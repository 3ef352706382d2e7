#pragma once
// The system's warning beep: the toolkit's beep, which the window system
// sounds, counted so that tests can see it.

void MessageBeep(unsigned type);
int MessageBeepCount();
