#include "workbench/halvorine_app.h"

#include "engine/globals.h"

THalvorineApp::THalvorineApp(int& argc, char** argv) : TGuardedApp(argc, argv, Platform) {}
