// The installation notice and the plug-in's settings file.
#pragma once

// Shows the installation notice at a start unless the settings file says otherwise.
void PowiadomOInstalacji();
