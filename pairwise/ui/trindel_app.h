// WTrindel's application object: commands that throw show their message and the program goes on.
#pragma once

#include "common/ui/guarded_app.h"

namespace trindel {

class TTrindelApp : public TGuardedApp {
public:
    TTrindelApp(int& argc, char** argv);
};

}  // namespace trindel
