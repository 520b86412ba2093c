#include "calls/CallTime.h"

#include "app/Context.h"

// Not written yet.
QString callTimeText(Context&) { return {}; }
