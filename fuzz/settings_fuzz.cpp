// The one-line settings file: whatever file is found, its first line is read without a line
// end; that line written and read again comes back as it was.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "platform/program_folder_testing.h"
#include "platform/prompts.h"

namespace {

void Fault(const std::string& message) {
    std::fprintf(stderr, "FUZZ FAULT: %s\n", message.c_str());
    std::abort();
}

const std::string& ProgramFolder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/halvorine-fuzz-settings-XXXXXX";
        if (!mkdtemp(pattern.data())) Fault("no scratch folder");
        // One folder for the whole run, gone with the process (a fault aborts and leaves it).
        static std::string made;
        made = pattern;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(made, ec);
        });
        platform::SetProgramFolderForTesting(pattern);
        setenv("XDG_CONFIG_HOME", (pattern + "/config").c_str(), 1);
        return pattern;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = ProgramFolder() + "/halvorin.ini";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;

    const std::string line = platform::ReadSettingsLine("halvorin.ini");
    if (line != bytes.substr(0, bytes.find_first_of("\r\n"))) Fault("the first line is not what was read");
    platform::WriteSettingsLine("halvorin.ini", line);
    if (platform::ReadSettingsLine("halvorin.ini") != line) Fault("the line written does not read back");
    std::ifstream in(path, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (written != line + "\r\n") Fault("the file holds more than the line");
    return 0;
}
