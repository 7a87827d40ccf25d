#include "pairwise/ui/trindel_app.h"

#include "pairwise/model/globals.h"

TTrindelApp::TTrindelApp(int& argc, char** argv) : TGuardedApp(argc, argv, Platform) {}
