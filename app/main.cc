// Program entry: everything happens in RunMarvoset.
#include "app/startup.h"

int main(int argc, char** argv) { return marvoset::RunMarvoset(argc, argv); }
