/* Linked into every program of the sanitizer build (-DHALVORINE_SANITIZE=ON), so that
 * ctest, a test that starts the program or itself again, and a developer's shell all
 * run with the same settings without having to export anything. ASAN_OPTIONS,
 * LSAN_OPTIONS and UBSAN_OPTIONS in the environment still add to or override them. */

#ifndef HALVORINE_LSAN_SUPPRESSIONS
#error "HALVORINE_LSAN_SUPPRESSIONS must name tests/sanitizers/lsan.supp"
#endif

#define _GNU_SOURCE
#include <dlfcn.h>
#include <sanitizer/lsan_interface.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#define HALVORINE_VISIBLE __attribute__((visibility("default"), used))

/* Libraries stay loaded to the end of the process. Qt unloads its platform and image
 * plugins, and libVLC its modules and the libraries they brought in, before the leak
 * check runs at exit; their allocations would then be reported from "<unknown module>",
 * which no suppression can name. The executable's definition comes first in symbol
 * lookup, so every library's dlclose lands here. Sanitizer build only. */
HALVORINE_VISIBLE int dlclose(void *handle)
{
    (void)handle;
    return 0;
}

/* QtTest runs every test binary under a watchdog thread of its own. Now and then, on a
 * loaded machine, the reference that thread holds on its own thread data (120 bytes, made
 * in QThread's constructor) is never given back, and the leak check at exit reports it.
 * It is QtTest's object and the test never sees it. A suppression cannot single it out:
 * the fast unwinder stops inside QThread's constructor, and naming that would hide the
 * threads of our own code as well; with full unwinding the only names above it are
 * QtTest's library and QTest::qExec, under which every test function runs (the watchdog
 * class itself is not exported). So QThread's constructor is wrapped here, and only
 * when QtTest's library calls it are its allocations left out of the check; a thread
 * that our code or any other library makes is checked as before. */
static int called_from_qtest(const void *return_address)
{
    Dl_info caller;
    if (!dladdr(return_address, &caller) || !caller.dli_fname)
        return 0;
    const char *file = strrchr(caller.dli_fname, '/');
    file = file ? file + 1 : caller.dli_fname;
    return strncmp(file, "libQt5Test.so", 13) == 0 || strncmp(file, "libQt6Test.so", 13) == 0;
}

/* QThread::QThread(QObject *) as a subclass's constructor calls it (the base-object
 * constructor); QtTest's watchdog is such a subclass. */
HALVORINE_VISIBLE void halvorine_qthread_constructor(void *self, void *parent) __asm__("_ZN7QThreadC2EP7QObject");
void halvorine_qthread_constructor(void *self, void *parent)
{
    typedef void (*Constructor)(void *, void *);
    static Constructor qt_constructor;
    if (!qt_constructor) {
        qt_constructor = (Constructor)dlsym(RTLD_NEXT, "_ZN7QThreadC2EP7QObject");
        /* Only Qt's own constructor can build the thread: without it, stop with why. */
        if (!qt_constructor) {
            static const char why[] = "sanitizer build: QThread's constructor not found in Qt Core\n";
            (void)!write(2, why, sizeof why - 1);
            abort();
        }
    }
    const int from_qtest = called_from_qtest(__builtin_return_address(0));
    if (from_qtest)
        __lsan_disable();
    qt_constructor(self, parent);
    if (from_qtest)
        __lsan_enable();
}

/* Leak checking stays on (the default on Linux, said here so nobody wonders). */
HALVORINE_VISIBLE const char *__asan_default_options(void)
{
    return "detect_leaks=1:strict_init_order=1:check_initialization_order=1";
}

/* Only what the uninstrumented libraries leak is suppressed; see the file. */
HALVORINE_VISIBLE const char *__lsan_default_options(void)
{
    return "suppressions=" HALVORINE_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

/* Undefined behaviour stops the program at the first report, with where it happened. */
HALVORINE_VISIBLE const char *__ubsan_default_options(void)
{
    return "halt_on_error=1:print_stacktrace=1";
}
