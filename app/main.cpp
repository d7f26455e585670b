// Entry of the sample program: dendrokit-sample [--screenshot FILE] [--seed S] [--cut K]
// [--select NODE] (see app/sample_main.cpp).
#include "app/sample_main.h"

int main(int argc, char* argv[]) { return RunSample(argc, argv); }
