// Halvorine's application object: commands that throw show their message and the program goes on.
#pragma once

#include "common/ui/guarded_app.h"

class THalvorineApp : public TGuardedApp {
public:
    THalvorineApp(int& argc, char** argv);
};
