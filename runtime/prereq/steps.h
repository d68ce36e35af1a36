// The prerequisite steps. Each answers true to let the launch go on and false to
// stop it.
#ifndef START_STEPS_H
#define START_STEPS_H

#include <windows.h>

bool RunDirectXStep(HINSTANCE module);
bool RunDXMediaStep(HINSTANCE module);
bool RunScriptStep(HINSTANCE module);

#endif
