// Halvorine's application object: commands that throw show their message and the program goes on.
#pragma once

#include "common/ui/guarded_app.h"

namespace halvorine {

class THalvorineApp : public TGuardedApp {
public:
    THalvorineApp(int& argc, char** argv);
};

}  // namespace halvorine
