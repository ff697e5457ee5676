// Processor probe: "CPUID.dll".
#pragma once

#ifdef _WIN32
#ifdef CPUID_BUILDING
#define CPUID_API __declspec(dllexport)
#else
#define CPUID_API __declspec(dllimport)
#endif
#else
#define CPUID_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Non-zero exactly when the processor has MMX.
CPUID_API int HasMMX(void);

#ifdef __cplusplus
}
#endif
