// The installation notice, shown at a start unless the settings file switches it off.
#include "settings/settings.h"

void PowiadomOInstalacji() {}
