// Hooks for tests of what depends on the program's folder; the programs never call them.
#pragma once

#include <string>

namespace platform {

// Makes ProgramFolder() answer the given folder; "" goes back to the real one.
void SetProgramFolderForTesting(const std::string& folder);
// Makes the program folder count as not writable (tests run as root, who may write anywhere).
void SetProgramFolderReadOnlyForTesting(bool readOnly);

}  // namespace platform
