#include "pairwise/ui/trindel_app.h"

#include "pairwise/model/globals.h"

namespace trindel {

TTrindelApp::TTrindelApp(int& argc, char** argv) : TGuardedApp(argc, argv, Platform) {}

}  // namespace trindel
