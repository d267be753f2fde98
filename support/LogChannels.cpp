#include "support/LogChannels.h"

CLogManager MainLog;
CLogManager CaptureLog;
