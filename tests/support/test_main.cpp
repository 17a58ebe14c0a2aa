// The test run's own entry point, so the leak check happens while the process is still steady.
//
// Left to itself, LeakSanitizer checks from its exit handler, which runs after Mesa's and
// OpenAL's handlers have begun stopping their worker threads. Its thread tracer can then catch a
// thread half-way through exiting and crash ("Tracer caught signal 11"), failing a test that had
// passed. Checking at the end of main, with every worker thread idle, reports the same leaks
// (anything still owned by a static is reachable either way) without that race.
#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv) {
    // Sound and GL tests leave worker threads running; a death test forked from a threaded
    // process can hang, so every death test re-executes the binary instead. Set before the
    // command line is read, so --gtest_death_test_style still has the last word.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
#if defined(__SANITIZE_ADDRESS__)
    // Reports and exits non-zero on a leak; afterwards the exit-time check is switched off.
    __lsan_do_leak_check();
#endif
    return result;
}
