// The image's load configuration. Windows reads DependentLoadFlags when it resolves the
// program's static imports: the DLLs they depend on are then looked for in System32 only, never
// in the program's own folder (often Downloads, or a zip's temporary folder), where anybody
// may have put a DLL of the same name.
//
// The linker takes the structure from the symbol _load_config_used. GNU ld before 2.41 does not
// point the load-config data directory at it; cmake/pe_load_config.py does that after the link.
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace {

// The 64-bit IMAGE_LOAD_CONFIG_DIRECTORY as far as SEHandlerCount. Older MinGW headers call
// DependentLoadFlags "Reserved1", so the program spells the structure out itself; every field
// it does not set is 0.
struct LoadConfig64 {
    std::uint32_t Size = 0;
    std::uint32_t TimeDateStamp = 0;
    std::uint16_t MajorVersion = 0;
    std::uint16_t MinorVersion = 0;
    std::uint32_t GlobalFlagsClear = 0;
    std::uint32_t GlobalFlagsSet = 0;
    std::uint32_t CriticalSectionDefaultTimeout = 0;
    std::uint64_t DeCommitFreeBlockThreshold = 0;
    std::uint64_t DeCommitTotalFreeThreshold = 0;
    std::uint64_t LockPrefixTable = 0;
    std::uint64_t MaximumAllocationSize = 0;
    std::uint64_t VirtualMemoryThreshold = 0;
    std::uint64_t ProcessAffinityMask = 0;
    std::uint32_t ProcessHeapFlags = 0;
    std::uint16_t CSDVersion = 0;
    std::uint16_t DependentLoadFlags = 0;
    std::uint64_t EditList = 0;
    std::uint64_t SecurityCookie = 0;
    std::uint64_t SEHandlerTable = 0;
    std::uint64_t SEHandlerCount = 0;
};
static_assert(offsetof(LoadConfig64, DependentLoadFlags) == 78);
static_assert(sizeof(LoadConfig64) == 112);

}  // namespace

extern "C" const LoadConfig64 _load_config_used{
    .Size = sizeof(LoadConfig64),
    .DependentLoadFlags = LOAD_LIBRARY_SEARCH_SYSTEM32,
};
