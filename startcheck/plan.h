// The launch plan: the [Start] keys as the launcher reads them, the programs it
// will start, and what goes wrong with each.
#ifndef STARTCHECK_PLAN_H
#define STARTCHECK_PLAN_H

#include <string>

#include "inf_file.h"

struct LaunchPlan {
    std::string dxMedia;  // the installer commands as read ("" when not set)
    std::string script;
    int splash;
};

// Prints the plan and reports its findings.
void CheckLaunchPlan(const InfFile& file, LaunchPlan* plan);

#endif
