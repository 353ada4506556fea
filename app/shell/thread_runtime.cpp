// The few POSIX thread functions that the statically linked C++ runtime calls, on
// Windows' own primitives, so that the linker does not pull in the whole POSIX thread
// library (about 32 KB: thread creation, cancellation, read-write locks, semaphores).
//
// The callers are the runtime's guards for function-local statics (a lock and a
// condition), its emergency pool for exceptions thrown when memory runs out (a lock),
// the unwinder's table of registered frames (a lock and a once-flag) and the per-thread
// storage that holds each thread's exceptions in flight (a once-flag, a lock and a key
// whose destructor frees the thread's storage when the thread ends). Only the program's
// own executable links this file: should the runtime ever call another function of that
// library, the link fails with "multiple definition" instead of growing silently.
//
// The program's only thread is its user-interface thread, but nothing here relies on
// that: every function is safe from any number of threads.
#include <windows.h>

#include <pthread.h>

#include <cerrno>
#include <cstdlib>

namespace {

// A mutex is a pointer to a critical section made at its first lock; until then it
// holds one of the static initialisers (-1 to -3) or zero. A critical section may be
// entered again by its owner, which gives every kind of mutex its documented behaviour
// for correct callers.
bool IsMade(pthread_mutex_t value) {
    return value > 0 || value < -3;
}

CRITICAL_SECTION* SectionOf(pthread_mutex_t* mutex) {
    const pthread_mutex_t seen = *mutex;
    if (IsMade(seen)) {
        return reinterpret_cast<CRITICAL_SECTION*>(seen);
    }
    auto* made =
        static_cast<CRITICAL_SECTION*>(HeapAlloc(GetProcessHeap(), 0, sizeof(CRITICAL_SECTION)));
    if (made == nullptr) {
        std::abort();  // as the C++ runtime does where it cannot make a lock
    }
    InitializeCriticalSection(made);
    const auto won = InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(mutex),
                                                       made, reinterpret_cast<void*>(seen));
    if (won == reinterpret_cast<void*>(seen)) {
        return made;
    }
    // Another thread made it first.
    DeleteCriticalSection(made);
    HeapFree(GetProcessHeap(), 0, made);
    return reinterpret_cast<CRITICAL_SECTION*>(*mutex);
}

// A condition variable is a Windows condition variable in place (it has the same size);
// the static initialiser is turned into the Windows one, zero, at first use.
CONDITION_VARIABLE* ConditionOf(pthread_cond_t* condition) {
    InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(condition), nullptr,
                                      reinterpret_cast<void*>(PTHREAD_COND_INITIALIZER));
    return reinterpret_cast<CONDITION_VARIABLE*>(condition);
}

// The keys' destructors. Windows calls a slot's destructor with the value alone, in its
// own calling convention, so each key has a routine of its own that calls the key's.
constexpr LONG kMaxKeys = 4;  // the runtime makes one
void (*destructors[kMaxKeys])(void*) = {};
LONG keysMade = 0;

template <int Key>
void WINAPI DestroyValue(void* value) {
    if (value != nullptr && destructors[Key] != nullptr) {
        destructors[Key](value);
    }
}

constexpr PFLS_CALLBACK_FUNCTION kDestroyValue[kMaxKeys] = {DestroyValue<0>, DestroyValue<1>,
                                                            DestroyValue<2>, DestroyValue<3>};

BOOL CALLBACK RunOnce(INIT_ONCE*, void* routine, void**) {
    reinterpret_cast<void (*)()>(routine)();
    return TRUE;
}

}  // namespace

extern "C" {

int pthread_mutex_init(pthread_mutex_t* mutex, const pthread_mutexattr_t*) {
    *mutex = PTHREAD_MUTEX_INITIALIZER;
    return 0;
}

int pthread_mutex_destroy(pthread_mutex_t* mutex) {
    const pthread_mutex_t value = *mutex;
    if (IsMade(value)) {
        auto* section = reinterpret_cast<CRITICAL_SECTION*>(value);
        DeleteCriticalSection(section);
        HeapFree(GetProcessHeap(), 0, section);
    }
    *mutex = PTHREAD_MUTEX_INITIALIZER;
    return 0;
}

int pthread_mutex_lock(pthread_mutex_t* mutex) {
    EnterCriticalSection(SectionOf(mutex));
    return 0;
}

int pthread_mutex_unlock(pthread_mutex_t* mutex) {
    if (!IsMade(*mutex)) {
        return EPERM;  // never locked
    }
    LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(*mutex));
    return 0;
}

int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex) {
    return SleepConditionVariableCS(ConditionOf(condition), SectionOf(mutex), INFINITE) ? 0
                                                                                        : EINVAL;
}

int pthread_cond_broadcast(pthread_cond_t* condition) {
    WakeAllConditionVariable(ConditionOf(condition));
    return 0;
}

// The once-flag is a Windows one-time initialisation in place: both are one pointer-sized
// word that starts at zero.
static_assert(sizeof(pthread_once_t) == sizeof(INIT_ONCE) && PTHREAD_ONCE_INIT == 0);

int pthread_once(pthread_once_t* flag, void (*routine)()) {
    return InitOnceExecuteOnce(reinterpret_cast<INIT_ONCE*>(flag), RunOnce,
                               reinterpret_cast<void*>(routine), nullptr)
               ? 0
               : EINVAL;
}

// Keys are fiber-local storage slots: Windows calls the slot's destructor with the
// thread's value when a thread that set one ends, as POSIX calls the key's.
int pthread_key_create(pthread_key_t* key, void (*destructor)(void*)) {
    const LONG index = InterlockedIncrement(&keysMade) - 1;
    if (index >= kMaxKeys) {
        return EAGAIN;
    }
    destructors[index] = destructor;
    const DWORD slot = FlsAlloc(destructor != nullptr ? kDestroyValue[index] : nullptr);
    if (slot == FLS_OUT_OF_INDEXES) {
        return EAGAIN;
    }
    *key = slot;
    return 0;
}

// Both keep the thread's last error: the runtime reaches its per-thread storage while
// an exception is thrown or caught, between a failed system call and the code that
// reads why it failed, and the slot functions clear the last error when they succeed.
void* pthread_getspecific(pthread_key_t key) {
    const DWORD lastError = GetLastError();
    void* value = FlsGetValue(key);
    SetLastError(lastError);
    return value;
}

int pthread_setspecific(pthread_key_t key, const void* value) {
    const DWORD lastError = GetLastError();
    const BOOL stored = FlsSetValue(key, const_cast<void*>(value));
    SetLastError(lastError);
    return stored ? 0 : EINVAL;
}

}  // extern "C"
