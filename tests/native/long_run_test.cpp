// Weeks of uptime in a few seconds: the poll on the fakes through 100,000 idle ticks (about three
// hours of them) and 10,000 activations leaves the heap, the open descriptors and the program's
// folder as it found them.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/fakes.hpp"
#include "fakes/memory_disk.hpp"
#include "fakes/temp_folder.hpp"
#include "hotkeys/key_table.hpp"
#include "hotkeys/poll.hpp"
#include "settings/file_store.hpp"

namespace {

// Every block of the test program's heap, counted by the replaced operator new and delete
// below: the blocks alive now and their bytes (as the C library rounds them), and every block
// made so far.
std::atomic<long long> live_blocks{0};
std::atomic<long long> live_bytes{0};
std::atomic<long long> made_blocks{0};

}  // namespace

// Not inlined: the compiler would otherwise see free() reached from a new-expression and warn.
[[gnu::noinline]] void* operator new(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    ++live_blocks;
    ++made_blocks;
    live_bytes += static_cast<long long>(malloc_usable_size(block));
    return block;
}

[[gnu::noinline]] void operator delete(void* block) noexcept {
    if (block == nullptr) return;
    --live_blocks;
    live_bytes -= static_cast<long long>(malloc_usable_size(block));
    std::free(block);
}

// Every other form goes through the two above, so that no block is made by one allocator and
// freed by another (the standard library's temporary buffers use the nothrow form, say).
void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return operator new(size, std::nothrow);
}
void operator delete[](void* block) noexcept {
    operator delete(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    operator delete(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    operator delete(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    operator delete(block);
}

namespace kestrune {
namespace {

// What a run may not grow: the heap, the open descriptors, the files in the program's folder.
struct Footprint {
    long long blocks = 0;
    long long bytes = 0;
    std::ptrdiff_t descriptors = 0;
    std::size_t files = 0;  // in the program's folder
    bool operator==(const Footprint&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Footprint& f) {
    return out << f.blocks << " blocks of " << f.bytes << " bytes, " << f.descriptors
               << " descriptors, " << f.files << " files";
}

TEST(LongRun, IdleTicksAndActivationsLeaveNothingBehind) {
    fakes::TempFolder folder;
    ASSERT_FALSE(folder.str().empty());
    const std::string settings =
        "[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\nplay=116\r\nplay_n=F5\r\n"
        "stop=88\r\nstop_n=X\r\n[OTHER]\r\nexecuted=1000000\r\n";
    folder.Write("settings.ini", settings);
    fakes::FakeKeyboard keys;
    fakes::FakePlayer player;
    fakes::FakeHost host(folder.str());
    PollMemory memory;
    // The count keeps its number of digits throughout, so that the file and the captions keep
    // their lengths. What the fakes record is counted and let go of at once, so that only the core
    // can grow.
    std::size_t sent = 0;
    auto tick = [&] {
        RunKeyCheckTick(keys, player, host, memory);
        sent += player.received.size();
        keys.queries.clear();
        player.received.clear();
        host.events.clear();
    };
    auto activation = [&] {
        keys.Press(vk::kLeftAlt);
        keys.Press(vk::F(6));
        tick();
        keys.ReleaseAll();
        tick();
    };
    auto footprint = [&](std::size_t files) {
        Footprint now;
        now.files = files;
        now.descriptors = std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
        now.blocks = live_blocks;
        now.bytes = live_bytes;
        return now;
    };

    // The idle ticks read the real file: the descriptors that the reads open are seen too.
    for (int i = 0; i < 100; ++i) tick();
    Footprint start = footprint(folder.EntryCount());
    const long long made_before = made_blocks;
    tick();
    ASSERT_GT(made_blocks - made_before, 0) << "an idle tick uses the heap, so it is seen";
    for (int i = 0; i < 100000; ++i) tick();
    EXPECT_EQ(footprint(folder.EntryCount()), start) << "after 100,000 idle ticks";

    // The activations save to a disk in memory.
    fakes::MemoryDisk disk;
    disk.files[host.settings_file] = settings;
    // The first ones make what lasts (the captions' room, ...).
    for (int i = 0; i < 10; ++i) activation();
    start = footprint(disk.files.size());
    for (int i = 0; i < 10000; ++i) activation();
    EXPECT_EQ(footprint(disk.files.size()), start) << "after 10,000 activations";
    EXPECT_EQ(sent, 10010u);
    EXPECT_NE(disk.files[host.settings_file].find("executed=1010010\r\n"), std::string::npos);
}

}  // namespace
}  // namespace kestrune
