#include "workbench/service.h"

#include <cstdio>
#include <cstdlib>

namespace halvorine {

void ServiceNotWired(const char* name) {
    std::fprintf(stderr, "Halvorine: the service %s is not wired\n", name);
    std::abort();
}

Service<void(int& code)>& RunCalculationService() {
    static Service<void(int& code)> service{"RunCalculation"};
    return service;
}

}  // namespace halvorine
