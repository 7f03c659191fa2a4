// The transfer hands these records to the system; their sizes are fixed by the
// 32-bit Windows ABI. Checked at compile time in the x86 build.
#include <windows.h>

#if !defined(_WIN64)
static_assert(sizeof(STARTUPINFOA) == 68, "STARTUPINFOA is 68 bytes on x86");
static_assert(sizeof(SECURITY_ATTRIBUTES) == 12, "SECURITY_ATTRIBUTES is 12 bytes on x86");
static_assert(sizeof(PROCESS_INFORMATION) == 16, "PROCESS_INFORMATION is 16 bytes on x86");
#endif
