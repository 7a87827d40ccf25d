#include "workbench/halvorine_app.h"

#include "engine/globals.h"

namespace halvorine {

THalvorineApp::THalvorineApp(int& argc, char** argv) : TGuardedApp(argc, argv, Platform) {}

}  // namespace halvorine
