#include "steps.h"

// The prerequisite installers are not run yet: every step lets the launch go on.
bool RunDirectXStep(HINSTANCE)
{
    return true;
}

bool RunDXMediaStep(HINSTANCE)
{
    return true;
}

bool RunScriptStep(HINSTANCE)
{
    return true;
}
