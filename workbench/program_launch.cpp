#include "workbench/program_launch.h"

#include "engine/globals.h"
#include "platform/prompts.h"

namespace halvorine {

bool RunApp(const std::string& exeName, const std::string& fallbackName) {
    if (!Platform) return false;
    const std::string folder = platform::ProgramFolder();
    if (Platform->StartProgram(folder + exeName)) return true;
    if (!fallbackName.empty() && Platform->StartProgram(folder + fallbackName)) return true;
    Platform->Message(platform::MessageKind::Error, exeName + " file was not found, can`t start the program",
                      platform::Buttons::Ok);
    return false;
}

bool ShowHelpContents() {
    if (!Platform) return false;
    if (Platform->ShowHelp(HelpFileName)) return true;
    Platform->Message(platform::MessageKind::Error,
                      std::string("Help file ") + HelpFileName + " was not found beside the program",
                      platform::Buttons::Ok);
    return false;
}

}  // namespace halvorine
