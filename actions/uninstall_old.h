// "卸载旧软件": runs the installed edition's registered uninstaller, waits
// until the uninstall it started has really ended, and tells the user whether
// the old edition is gone. Nothing is remembered between clicks.
#pragma once

#include "actions/platform.h"

void UninstallOld(Platform& os);

// Starts the program the command line (at most 259 units) names, by the rules
// of command_program.h, and waits, answering messages sent to us meanwhile,
// until the uninstall has ended: the started process has, and then its job is
// empty or the uninstall key is gone. False when it could not be started.
bool RunAndWait(Platform& os, const wchar_t* commandLine);
