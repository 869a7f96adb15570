// Built into the game and game_tests of the sanitizer tree only. The
// environment's ASAN_OPTIONS and friends still override these.
extern "C" {

// verify_asan_link_order=0: the end-to-end tests preload a key script ahead
// of the sanitizer's runtime.
const char* __asan_default_options() { return "halt_on_error=1:detect_leaks=1:verify_asan_link_order=0"; }
const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }
const char* __lsan_default_options() { return "suppressions=" LSAN_SUPPRESSIONS; }

}
