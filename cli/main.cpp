#include "CommandLine.h"

int main(int argc, char** argv) {
    tarnwick::cli::CommandLine commandLine;
    return commandLine.Run(argc, argv);
}
