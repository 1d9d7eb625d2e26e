// `elenco` with a fault layer under its own, for the case runner.
//   faulty_elenco FAULTS [ELENCO ARGUMENT]...
#include "elenco_run.h"
#include "faults.h"

int main(int argc, char** argv) {
    if (argc < 2) return 125;
    FaultLayer faults(systemPlatform, argv[1]);
    argv[1] = argv[0];
    return runElenco(argc - 1, argv + 1, faults.layer);
}
