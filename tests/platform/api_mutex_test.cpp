// The recursive API mutex and thread identity.
#include "platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(ApiMutex, NestedAcquisitionsMustAllBeReleasedBeforeAnotherThreadGetsIn)
{
    goAcquireMutex();
    goAcquireMutex();
    std::atomic<bool> entered{false};
    std::thread other([&] {
        goAcquireMutex();
        entered = true;
        goReleaseMutex();
    });
    goReleaseMutex();
    // One acquisition is still held: the other thread cannot have entered. Its attempt runs concurrently,
    // so give it a bounded chance to (wrongly) get in before checking.
    auto blocked = std::async(std::launch::async, [&] {
        for (int i = 0; i < 200 && !entered; ++i)
            std::this_thread::yield();
        return entered.load();
    });
    EXPECT_FALSE(blocked.get());
    goReleaseMutex();
    other.join();
    EXPECT_TRUE(entered);
}

TEST(ApiMutex, SerialisesIncrementsFromManyThreads)
{
    int counter = 0; // plain int: only the mutex protects it
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                goAcquireMutex();
                goAcquireMutex();
                counter += 1;
                goReleaseMutex();
                goReleaseMutex();
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(counter, 80000);
}

TEST(ThreadIdentity, StableWithinAThreadAndDistinctAcrossThreads)
{
    const unsigned long self = goGetCurrentThreadID();
    EXPECT_EQ(goGetCurrentThreadID(), self);
    EXPECT_NE(self, 0u);
    unsigned long other = 0;
    std::thread([&] { other = goGetCurrentThreadID(); }).join();
    EXPECT_NE(other, self);
    EXPECT_NE(other, 0u);
}

} // namespace
