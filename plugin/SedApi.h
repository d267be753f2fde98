#pragma once

#if defined(_WIN32)
#define SED_CALL __stdcall
#define SED_EXPORT extern "C"
#else
#define SED_CALL
#define SED_EXPORT extern "C" __attribute__((visibility("default")))
#endif
