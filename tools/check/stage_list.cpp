#include "tools/check/stages.h"

// The test page is one call that draws many tickets and waits for the spooler: it gets longer.
const Stage Stages[] = {
    {"load", "loading the plug-in", CheckLoading, 60, false, false, nullptr},
    {"setup", "the record, the description and the list", CheckSetUp, 60, false, false, nullptr},
    {"draw", "drawing into every kind of surface", CheckDrawing, 60, false, false, nullptr},
    {"design", "the design's tickets", CheckDesignTickets, 60, true, false, DesignTicketsVerdict},
    {"soak", "many calls, then what is left behind", CheckSoak, 60, false, false, nullptr},
    {"print", "the test page", CheckPrinting, 180, false, true, nullptr},
};
const int StageCount = sizeof Stages / sizeof Stages[0];
