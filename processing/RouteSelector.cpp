#include "processing/RouteSelector.h"
RouteSelector::RouteSelector(RouteWriter&) {}  // stand-in, being built
void RouteSelector::ConsiderFix(const GpsFix&) {}
