// Starting the paired-comparison program, and the help file, from the main window's menus.
#pragma once

#include <string>

namespace halvorine {

// The program files beside Halvorine, then in its subfolder.
inline const char* const WTrindelFile = "WTrindel";
inline const char* const WTrindelFallbackFile = "wtrindel/WTrindel";
inline const char* const HelpFileName = "Halvorine.hlp";

// Starts exeName from the program's folder, else fallbackName there; tells the user when both fail.
bool RunApp(const std::string& exeName, const std::string& fallbackName);

// Shows the contents of the help file; tells the user when it is not there.
bool ShowHelpContents();

}  // namespace halvorine
