#include "java_vm.h"

int main(int argc, char **argv) { javaVmMain(argc, argv); }
