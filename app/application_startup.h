#pragma once
// The program's start-up and shutdown: one copy per user, the language, the
// settings and skin, the device engine and its store, then the main window
// until it closes; the engine is stopped before the store goes.

// The process's exit code.
int RunApplication(int argc, char** argv);
