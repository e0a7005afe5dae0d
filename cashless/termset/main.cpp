#include "CTermsetApp.h"

int main(int argc, char** argv) {
    return CTermsetApp().Run(argc, argv);
}
