#pragma once
// Termset's start-up: the settings file of the program folder, the registry store, the dialog.
// No single-instance guard: two copies only write the same values.
class CTermsetApp {
public:
    // Returns 0 after OK, 1 after Cancel.
    int Run(int argc, char** argv);
};
