#pragma once

#include <QMetaObject>
#include <QObject>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#define TALLYRA_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TALLYRA_THREAD_SANITIZER 1
#endif
#endif

#ifdef TALLYRA_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>
extern "C" void AnnotateIgnoreWritesBegin(const char* file, int line);
extern "C" void AnnotateIgnoreWritesEnd(const char* file, int line);
#endif

// Calls posted to another thread's event loop. Qt's event queue orders a post
// before the call it delivers, with locks inside the Qt library; a Qt that is
// not built with ThreadSanitizer hides that order from the sanitizer, which
// would then report every value handed over as a race. Built with it, these
// mark the order themselves; otherwise they are a queued invokeMethod and
// nothing more.
namespace ThreadHandOff {

// Marks what this thread did so far as visible to whoever calls acquired(key)
// after a hand-off through the event queue.
inline void released(const void* key)
{
#ifdef TALLYRA_THREAD_SANITIZER
    __tsan_release(const_cast<void*>(key));
#else
    (void)key;
#endif
}

inline void acquired(const void* key)
{
#ifdef TALLYRA_THREAD_SANITIZER
    __tsan_acquire(const_cast<void*>(key));
#else
    (void)key;
#endif
}

// Queues call for receiver's thread; false when it could not be queued. A
// receiver destroyed before it runs drops it.
template <typename Call>
bool post(QObject* receiver, Call&& call)
{
    released(receiver);
#ifdef TALLYRA_THREAD_SANITIZER
    // The posted call is built inside invokeMethod, after the release: its own
    // bytes are handed over by the queue too, so their writing is not tracked.
    AnnotateIgnoreWritesBegin(__FILE__, __LINE__);
#endif
    const bool posted = QMetaObject::invokeMethod(
        receiver,
        [receiver, call = std::forward<Call>(call)]() mutable {
            acquired(receiver);
            call();
        },
        Qt::QueuedConnection);
#ifdef TALLYRA_THREAD_SANITIZER
    AnnotateIgnoreWritesEnd(__FILE__, __LINE__);
#endif
    return posted;
}

} // namespace ThreadHandOff
