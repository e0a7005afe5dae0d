#pragma once
// Paygate's start-up: one process per desktop (a second start raises the first window), the
// settings file of the program folder, the CAT service and the window.
class CPaygateApp {
public:
    int Run(int argc, char** argv);
};
