#pragma once
// The help viewer: a window showing the installed help page scrolled to an anchor.

#include <string>
#include <string_view>

// commandLine is what the program hands the phone's viewer: "\Windows\VelloroHelp.htm#Anchor".
// That name means the installed page resources/help/VelloroHelp.htm; any other is a host path.
// Does not wait for the user. False when the page cannot be read.
bool StartHelpViewer(std::u16string_view commandLine);

// The help page file the phone name maps to.
std::string HelpPagePath();
