// The program's own error throwers for the string and container templates: the
// program's catch sites must see what the C++ runtime's own throwers gave them. And the
// program's own POSIX thread functions, under which the runtime's guards, locks and
// per-thread exception records must keep working from several threads at once. A plain
// program, linked like Treskcolor.exe: GoogleTest itself needs the runtime's throwers,
// whose object cannot be linked beside these, and threads of its own.
#include <windows.h>

#include <pthread.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

int failures = 0;

// what() of the exception `action` throws, which must be a std::exception.
template <typename F>
std::string WhatOf(F&& action) {
    try {
        action();
    } catch (const std::bad_array_new_length&) {
        return "bad_array_new_length";
    } catch (const std::bad_alloc&) {
        return "bad_alloc";
    } catch (const std::exception& e) {
        return e.what();
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

void StringAndVectorErrorsCarryTheRuntimesText() {
    const std::string abc = "abc";
    Expect("substr", WhatOf([&] { static_cast<void>(abc.substr(5)); }),
           "basic_string::substr: __pos (which is 5) > this->size() (which is 3)");
    Expect("string at", WhatOf([&] { static_cast<void>(abc.at(7)); }),
           "basic_string::at: __n (which is 7) >= this->size() (which is 3)");
    const std::vector<int> numbers(2);
    Expect("vector at", WhatOf([&] { static_cast<void>(numbers.at(4)); }),
           "vector::_M_range_check: __n (which is 4) >= this->size() (which is 2)");
    Expect("vector reserve", WhatOf([] {
               std::vector<std::uint8_t> bytes;
               bytes.reserve(bytes.max_size() + 1);
           }),
           "vector::reserve");
    Expect("string reserve", WhatOf([] {
               std::string text;
               text.reserve(text.max_size() + 1);
           }),
           "basic_string::_M_create");
    const char* volatile none = nullptr;
    Expect("string from null", WhatOf([&] { std::string text(none); }),
           "basic_string: construction from null is not valid");
}

void AllocationFailuresStayBadAlloc() {
    Expect("allocator", WhatOf([] {
               static_cast<void>(std::allocator<std::uint64_t>().allocate(std::size_t{1} << 30));
           }),
           "bad_array_new_length");
    Expect("huge vector", WhatOf([] {
               std::vector<std::uint8_t> bytes;
               bytes.reserve(bytes.max_size());
           }),
           "bad_alloc");
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

// An exception naming the thread that threw it (std::runtime_error would bring the
// runtime's own throwers).
class ThreadError : public std::exception {
public:
    explicit ThreadError(const std::string& text) { text.copy(text_, sizeof(text_) - 1); }
    const char* what() const noexcept override { return text_; }

private:
    char text_[16] = {};
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
                    throw ThreadError(own);
                } catch (const std::exception&) {
                    Sleep(0);  // the other threads throw in between
                    throw;
                }
            } catch (const std::exception& e) {
                good += own == e.what() && std::uncaught_exceptions() == 0 ? 1 : 0;
            }
        }
        InterlockedExchangeAdd(&right, good);
    };
    OnThreads(kThreads, throwMany);
    ExpectCount("exceptions caught with their own text", right, kThreads * 500);
}

long onceRuns = 0;

void OnceRunsOnceAndLocksExclude() {
    static pthread_once_t once = PTHREAD_ONCE_INIT;
    static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
    static pthread_mutex_t made;
    pthread_mutex_init(&made, nullptr);
    long total = 0;  // changed under the locks only
    auto work = [&total] {
        pthread_once(&once, [] {
            Sleep(50);
            InterlockedIncrement(&onceRuns);
        });
        for (int i = 0; i < 20000; ++i) {
            pthread_mutex_t& which = i % 2 == 0 ? lock : made;
            pthread_mutex_lock(&which);
            pthread_mutex_lock(&lock);  // entered again by its owner on even rounds
            const long seen = total;
            if (i % 1000 == 0) {
                Sleep(0);
            }
            total = seen + 1;
            pthread_mutex_unlock(&lock);
            pthread_mutex_unlock(&which);
        }
    };
    OnThreads(kThreads, work);
    ExpectCount("once routine runs", onceRuns, 1);
    ExpectCount("counted under the locks", total, kThreads * 20000);
    pthread_mutex_destroy(&made);
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
    StringAndVectorErrorsCarryTheRuntimesText();
    AllocationFailuresStayBadAlloc();
    StaticLocalsAreMadeOnceWhileOtherThreadsWait();
    ExceptionsInFlightOnSeveralThreadsStayApart();
    OnceRunsOnceAndLocksExclude();
    KeysAreOwnedByEachThreadAndDestroyedAtItsEnd();
    AThrowKeepsTheLastError();
    std::printf("%s\n", failures == 0 ? "all passed" : "some failed");
    return failures == 0 ? 0 : 1;
}
