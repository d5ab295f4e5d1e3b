#include "shell/ProgramEntry.h"

int main(int argc, char** argv) { return guardedMain(argc, argv); }
