#include "elenco_run.h"

int main(int argc, char** argv) {
    return runElenco(argc, argv, systemPlatform);
}
