/* Linked into every program of the sanitizer build (-DHALVORINE_SANITIZE=ON), so that
 * ctest, a test that starts the program or itself again, and a developer's shell all
 * run with the same settings without having to export anything. ASAN_OPTIONS,
 * LSAN_OPTIONS and UBSAN_OPTIONS in the environment still add to or override them. */

#ifndef HALVORINE_LSAN_SUPPRESSIONS
#error "HALVORINE_LSAN_SUPPRESSIONS must name tests/sanitizers/lsan.supp"
#endif

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
