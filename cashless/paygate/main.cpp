#include "CPaygateApp.h"

int main(int argc, char** argv) {
    return CPaygateApp().Run(argc, argv);
}
