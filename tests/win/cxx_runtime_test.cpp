// The C++ runtime as the program links it (its own terminate handler, everything else
// the runtime's): the string and container templates' errors reach a catch site with
// their standard type and text, and the runtime's guards, locks and per-thread exception
// records keep working from several threads at once. A plain program linked like
// Treskcolor.exe, without GoogleTest.
#include <windows.h>

#include <pthread.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

int failures = 0;

// what() of the exception `action` throws, caught by its type `E`, which must be its
// exact type; otherwise what was caught instead.
template <typename E, typename F>
std::string WhatOf(F&& action) {
    try {
        action();
    } catch (const E& e) {
        return typeid(e) == typeid(E) ? e.what() : "a type derived from it";
    } catch (const std::exception& e) {
        return std::string("another type: ") + e.what();
    }
    return "nothing thrown";
}

void Expect(const char* what, const std::string& actual, const std::string& expected) {
    if (actual != expected) {
        ++failures;
        std::printf("FAILED %s:\n  got      \"%s\"\n  expected \"%s\"\n", what, actual.c_str(),
                    expected.c_str());
    }
}

void LibraryErrorsHaveTheirStandardTypeAndText() {
    const std::string abc = "abc";
    Expect("substr", WhatOf<std::out_of_range>([&] { static_cast<void>(abc.substr(5)); }),
           "basic_string::substr: __pos (which is 5) > this->size() (which is 3)");
    Expect("string at", WhatOf<std::out_of_range>([&] { static_cast<void>(abc.at(7)); }),
           "basic_string::at: __n (which is 7) >= this->size() (which is 3)");
    const std::vector<int> numbers(2);
    Expect("vector at", WhatOf<std::out_of_range>([&] { static_cast<void>(numbers.at(4)); }),
           "vector::_M_range_check: __n (which is 4) >= this->size() (which is 2)");
    Expect("vector reserve", WhatOf<std::length_error>([] {
               std::vector<std::uint8_t> bytes;
               bytes.reserve(bytes.max_size() + 1);
           }),
           "vector::reserve");
    Expect("string reserve", WhatOf<std::length_error>([] {
               std::string text;
               text.reserve(text.max_size() + 1);
           }),
           "basic_string::_M_create");
    const char* volatile none = nullptr;
    Expect("string from null", WhatOf<std::logic_error>([&] { std::string text(none); }),
           "basic_string: construction from null is not valid");
    // Allocation failures stay bad_alloc.
    Expect("allocator", WhatOf<std::bad_array_new_length>([] {
               static_cast<void>(std::allocator<std::uint64_t>().allocate(std::size_t{1} << 30));
           }),
           "std::bad_array_new_length");
    Expect("huge vector", WhatOf<std::bad_alloc>([] {
               std::vector<std::uint8_t> bytes;
               bytes.reserve(bytes.max_size());
           }),
           "std::bad_alloc");
}

void ExpectCount(const char* what, long actual, long expected) {
    Expect(what, std::to_string(actual), std::to_string(expected));
}

template <typename F>
struct Start {
    F* routine;
    HANDLE go;
};

template <typename F>
DWORD WINAPI RunStarted(void* parameter) {
    auto* start = static_cast<Start<F>*>(parameter);
    WaitForSingleObject(start->go, INFINITE);
    (*start->routine)();
    return 0;
}

// Runs `routine` on `count` threads that start together, and waits for all of them.
template <typename F>
void OnThreads(int count, F& routine) {
    Start<F> start{&routine, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::vector<HANDLE> threads;
    for (int i = 0; i < count; ++i) {
        threads.push_back(CreateThread(nullptr, 0, RunStarted<F>, &start, 0, nullptr));
    }
    SetEvent(start.go);
    WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
    for (HANDLE thread : threads) {
        CloseHandle(thread);
    }
    CloseHandle(start.go);
}

constexpr int kThreads = 4;

struct SlowlyMade {
    SlowlyMade() {
        InterlockedIncrement(&made);
        Sleep(100);  // the other threads arrive while this one is still making it
        value = 42;
    }
    static inline long made = 0;
    int value = 0;
};

long madeSeen = 0;  // threads that saw the finished object

void StaticLocalsAreMadeOnceWhileOtherThreadsWait() {
    auto use = [] {
        static SlowlyMade shared;
        if (shared.value == 42) {
            InterlockedIncrement(&madeSeen);
        }
    };
    OnThreads(kThreads, use);
    ExpectCount("static local made", SlowlyMade::made, 1);
    ExpectCount("static local seen finished", madeSeen, kThreads);
}

void ExceptionsInFlightOnSeveralThreadsStayApart() {
    long right = 0;
    auto throwMany = [&right] {
        const std::string own = std::to_string(GetCurrentThreadId());
        long good = 0;
        for (int i = 0; i < 500; ++i) {
            try {
                try {
                    throw std::runtime_error(own);
                } catch (const std::runtime_error&) {
                    Sleep(0);  // the other threads throw in between
                    throw;
                }
            } catch (const std::runtime_error& e) {
                good += own == e.what() && std::uncaught_exceptions() == 0 ? 1 : 0;
            }
        }
        InterlockedExchangeAdd(&right, good);
    };
    OnThreads(kThreads, throwMany);
    ExpectCount("exceptions caught with their own text", right, kThreads * 500);
}

long onceRuns = 0;

// A mutex as the runtime's POSIX thread layer gives it, in the std::mutex shape.
struct PosixMutex {
    pthread_mutex_t handle;
    void lock() { pthread_mutex_lock(&handle); }
    bool try_lock() { return pthread_mutex_trylock(&handle) == 0; }
    void unlock() { pthread_mutex_unlock(&handle); }
    ~PosixMutex() { pthread_mutex_destroy(&handle); }
};

// `mutex` is entered again by its owner exactly when `recursive` (tried without
// waiting, so that a mutex of the wrong kind fails the check instead of hanging), and
// four threads at once count exactly under it, each owner taking it twice when it may.
template <typename M>
void CheckMutex(const char* what, M& mutex, bool recursive) {
    std::unique_lock<M> held(mutex);
    const bool again = std::unique_lock<M>(mutex, std::try_to_lock).owns_lock();
    held.unlock();
    Expect(what, again ? "entered again" : "not entered again",
           recursive ? "entered again" : "not entered again");
    long total = 0;  // changed under the lock only
    auto work = [&] {
        for (int i = 0; i < 5000; ++i) {
            const std::lock_guard<M> outer(mutex);
            const auto inner = again ? std::unique_lock<M>(mutex) : std::unique_lock<M>();
            const long seen = total;
            if (i % 1000 == 0) {
                Sleep(0);
            }
            total = seen + 1;
        }
    };
    OnThreads(kThreads, work);
    ExpectCount(what, total, kThreads * 5000);
}

// The runtime's locks: plain mutexes (std::mutex, made by the static initialiser) are
// never entered again by their owner, recursive ones are, both by the one made by the
// runtime's static initialiser (the lock around function-local statics) and by the one
// made at run time (std::recursive_mutex).
void OnceRunsOnceAndLocksExclude() {
    static pthread_once_t once = PTHREAD_ONCE_INIT;
    auto runOnce = [] {
        pthread_once(&once, [] {
            Sleep(50);
            InterlockedIncrement(&onceRuns);
        });
    };
    OnThreads(kThreads, runOnce);
    ExpectCount("once routine runs", onceRuns, 1);

    std::mutex plain;
    CheckMutex("std::mutex", plain, false);
    PosixMutex made{};
    pthread_mutex_init(&made.handle, nullptr);
    CheckMutex("default mutex", made, false);
    PosixMutex recursiveStatic{PTHREAD_RECURSIVE_MUTEX_INITIALIZER};
    CheckMutex("static recursive mutex", recursiveStatic, true);
    std::recursive_mutex recursive;
    CheckMutex("std::recursive_mutex", recursive, true);
}

pthread_key_t key;
long destroyed = 0;
long destroyedRight = 0;

void KeysAreOwnedByEachThreadAndDestroyedAtItsEnd() {
    pthread_key_create(&key, [](void* value) {
        InterlockedIncrement(&destroyed);
        if (value == reinterpret_cast<void*>(static_cast<std::uintptr_t>(GetCurrentThreadId()))) {
            InterlockedIncrement(&destroyedRight);
        }
    });
    long own = 0;
    auto set = [&own] {
        void* mine = reinterpret_cast<void*>(static_cast<std::uintptr_t>(GetCurrentThreadId()));
        const bool freshlyEmpty = pthread_getspecific(key) == nullptr;
        pthread_setspecific(key, mine);
        Sleep(20);
        if (freshlyEmpty && pthread_getspecific(key) == mine) {
            InterlockedIncrement(&own);
        }
    };
    OnThreads(kThreads, set);
    auto leaveEmpty = [] {};
    OnThreads(2, leaveEmpty);  // no value: no destructor
    ExpectCount("values kept apart", own, kThreads);
    ExpectCount("destructors run", destroyed, kThreads);
    ExpectCount("destructors given the thread's value", destroyedRight, kThreads);
    Expect("main thread's value", pthread_getspecific(key) == nullptr ? "none" : "set", "none");
}

// A failed system call's reason survives an exception thrown and caught before it is
// read (the per-thread exception record is reached through a key on every throw).
void AThrowKeepsTheLastError() {
    SetLastError(ERROR_ACCESS_DENIED);
    try {
        throw std::bad_alloc();
    } catch (const std::exception&) {
        ExpectCount("last error in the handler", static_cast<long>(GetLastError()),
                    ERROR_ACCESS_DENIED);
    }
    ExpectCount("last error after the handler", static_cast<long>(GetLastError()),
                ERROR_ACCESS_DENIED);
}

}  // namespace

int main() {
    LibraryErrorsHaveTheirStandardTypeAndText();
    StaticLocalsAreMadeOnceWhileOtherThreadsWait();
    ExceptionsInFlightOnSeveralThreadsStayApart();
    OnceRunsOnceAndLocksExclude();
    KeysAreOwnedByEachThreadAndDestroyedAtItsEnd();
    AThrowKeepsTheLastError();
    std::printf("%s\n", failures == 0 ? "all passed" : "some failed");
    return failures == 0 ? 0 : 1;
}
